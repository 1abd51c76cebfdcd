#include "viewer/client_work_area.h"

#include <atomic>

#include "state/process_state.h"

namespace korvo {

namespace {
std::atomic_ref<uint8_t> clientByte(size_t offset) {
    return std::atomic_ref<uint8_t>(clientWorkArea[offset]);
}
}  // namespace

uint8_t loadClientByte(size_t offset) {
    return clientByte(offset).load(std::memory_order_relaxed);
}

void storeClientByte(size_t offset, uint8_t value) {
    clientByte(offset).store(value, std::memory_order_relaxed);
}

void loadClientBytes(size_t offset, uint8_t* out, size_t count) {
    for (size_t i = 0; i < count; ++i)
        out[i] = loadClientByte(offset + i);
}

void storeClientBytes(size_t offset, const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i)
        storeClientByte(offset + i, bytes[i]);
}

void zeroClientBytes(size_t offset, size_t count) {
    for (size_t i = 0; i < count; ++i)
        storeClientByte(offset + i, 0);
}

}  // namespace korvo
