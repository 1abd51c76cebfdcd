// An alternate signal stack for the calling thread, so that a fault caused by a stack
// overflow can still be handled.
#pragma once

namespace platform {

void installFaultStack();

}  // namespace platform
