// The calling thread's record without making one: safe where nothing may allocate.
#pragma once

#include "platform/threads.h"

namespace platform {

ThreadHandle knownCurrentThread();

}  // namespace platform
