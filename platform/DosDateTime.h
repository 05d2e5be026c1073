// MS-DOS packed date and time: date in the upper 16 bits (year - 1980, month,
// day), time in the lower 16 (hour, minute, seconds / 2).
#pragma once

#include <cstdint>

struct TDosDateTimeParts {
    int Year = 1980, Month = 1, Day = 1, Hour = 0, Minute = 0, Second = 0;
};

inline TDosDateTimeParts UnpackDosDateTime(uint32_t value)
{
    TDosDateTimeParts p;
    const uint32_t date = value >> 16, time = value & 0xFFFF;
    p.Year = 1980 + static_cast<int>(date >> 9);
    p.Month = static_cast<int>((date >> 5) & 15);
    p.Day = static_cast<int>(date & 31);
    p.Hour = static_cast<int>(time >> 11);
    p.Minute = static_cast<int>((time >> 5) & 63);
    p.Second = static_cast<int>((time & 31) * 2);
    return p;
}

// Years outside 1980..2107 are clamped to the range the format can hold.
inline uint32_t PackDosDateTime(const TDosDateTimeParts& p)
{
    if (p.Year < 1980)
        return (0u << 25) | (1u << 21) | (1u << 16);
    const uint32_t year = static_cast<uint32_t>(p.Year > 2107 ? 127 : p.Year - 1980);
    const uint32_t date = (year << 9) | (static_cast<uint32_t>(p.Month) << 5) | static_cast<uint32_t>(p.Day);
    const uint32_t time = (static_cast<uint32_t>(p.Hour) << 11) | (static_cast<uint32_t>(p.Minute) << 5) |
                          static_cast<uint32_t>(p.Second / 2);
    return (date << 16) | time;
}
