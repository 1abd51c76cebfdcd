// The local calendar date and time, as the user's clock shows it.
#pragma once

namespace platform {

struct LocalDateTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

LocalDateTime localDateTimeNow();

}  // namespace platform
