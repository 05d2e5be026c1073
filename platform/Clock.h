// The local clock and its text in the user's regional formats.
#pragma once

#include <string>

struct TLocalTime {
    int Year = 0, Month = 1, Day = 1, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

class TClock {
public:
    virtual ~TClock() = default;
    // The local date and time now.
    virtual TLocalTime Now() = 0;
    // The date in the user's short date format.
    virtual std::string ShortDateText(const TLocalTime& moment) = 0;
    // The time in the user's long time format.
    virtual std::string LongTimeText(const TLocalTime& moment) = 0;
};

// Short date, one blank and long time; the time is left out at exactly midnight.
inline std::string DateTimeText(TClock& clock, const TLocalTime& moment)
{
    std::string text = clock.ShortDateText(moment);
    if (moment.Hour != 0 || moment.Minute != 0 || moment.Second != 0 || moment.Millisecond != 0) {
        text += ' ';
        text += clock.LongTimeText(moment);
    }
    return text;
}
