// A clock that tells the times it is given, in fixed formats: the date as
// YYYY-MM-DD, the time as HH:MM:SS.
#pragma once

#include <cstdio>
#include <vector>

#include "platform/Clock.h"

class TFixedClock : public TClock {
public:
    std::vector<TLocalTime> Times; // one per call; the last one repeats

    TLocalTime Now() override
    {
        const TLocalTime t = Times.at(FCalls < Times.size() ? FCalls : Times.size() - 1);
        ++FCalls;
        return t;
    }
    std::string ShortDateText(const TLocalTime& t) override
    {
        return Format("%04d-%02d-%02d", t.Year, t.Month, t.Day);
    }
    std::string LongTimeText(const TLocalTime& t) override
    {
        return Format("%02d:%02d:%02d", t.Hour, t.Minute, t.Second);
    }

private:
    static std::string Format(const char* format, int a, int b, int c)
    {
        char text[32];
        std::snprintf(text, sizeof text, format, a, b, c);
        return text;
    }
    size_t FCalls = 0;
};
