#include <windows.h>

#include "platform/calendar.h"

namespace platform {

LocalDateTime localDateTimeNow() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return LocalDateTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace platform
