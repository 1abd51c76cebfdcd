/* The stream's parameters as PipeWire's pod builder makes them. Plain C: the builder's
   macros are compound literals, which C++ does not have. */
#pragma once

#include <spa/pod/builder.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The formats taken: BGRx and BGRA as they come, RGBx and RGBA turned round. */
const struct spa_pod* korvoVideoFormats(struct spa_pod_builder* builder);

/* Shared-memory buffers only (memfd or plain memory), which can be mapped. */
const struct spa_pod* korvoMappableBuffers(struct spa_pod_builder* builder);

#ifdef __cplusplus
}
#endif
