// The clock, the Windows directory and program start on Windows.
#include <windows.h>

#include "platform/Clock.h"
#include "platform/NativeServices.h"
#include "platform/ProcessStart.h"
#include "platform/SystemInfo.h"

namespace {

SYSTEMTIME ToSystemTime(const TLocalTime& t)
{
    SYSTEMTIME s{};
    s.wYear = static_cast<WORD>(t.Year);
    s.wMonth = static_cast<WORD>(t.Month);
    s.wDay = static_cast<WORD>(t.Day);
    s.wHour = static_cast<WORD>(t.Hour);
    s.wMinute = static_cast<WORD>(t.Minute);
    s.wSecond = static_cast<WORD>(t.Second);
    s.wMilliseconds = static_cast<WORD>(t.Millisecond);
    return s;
}

class TWin32Clock : public TClock {
public:
    TLocalTime Now() override
    {
        SYSTEMTIME s;
        GetLocalTime(&s);
        return {s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute, s.wSecond, s.wMilliseconds};
    }

    std::string ShortDateText(const TLocalTime& moment) override
    {
        const SYSTEMTIME s = ToSystemTime(moment);
        char text[128];
        const int n = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &s, nullptr, text, sizeof text);
        return n > 0 ? std::string(text, static_cast<size_t>(n - 1)) : std::string();
    }

    std::string LongTimeText(const TLocalTime& moment) override
    {
        const SYSTEMTIME s = ToSystemTime(moment);
        char text[128];
        const int n = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &s, nullptr, text, sizeof text);
        return n > 0 ? std::string(text, static_cast<size_t>(n - 1)) : std::string();
    }
};

class TWin32SystemInfo : public TSystemInfo {
public:
    std::string WindowsDirectory() override
    {
        char buffer[MAX_PATH] = {};
        GetWindowsDirectoryA(buffer, MAX_PATH);
        return std::string(buffer, MAX_PATH);
    }
};

class TWin32ProgramStarter : public TProgramStarter {
public:
    void StartProgram(const std::string& commandLine) override { WinExec(commandLine.c_str(), SW_SHOWNORMAL); }
};

} // namespace

TClock& NativeClock()
{
    static TWin32Clock clock;
    return clock;
}

TSystemInfo& NativeSystemInfo()
{
    static TWin32SystemInfo info;
    return info;
}

TProgramStarter& NativeProgramStarter()
{
    static TWin32ProgramStarter starter;
    return starter;
}
