// The clock, the Windows directory and program start on Windows.
#include <windows.h>

#include "platform/Clock.h"
#include "platform/NativeServices.h"
#include "platform/ProcessStart.h"
#include "platform/SystemInfo.h"
#include "platform/WideText.h"

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
        wchar_t text[128];
        const int n = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &s, nullptr, text, 128);
        return n > 0 ? Utf8Text(std::wstring_view(text, static_cast<size_t>(n - 1))) : std::string();
    }

    std::string LongTimeText(const TLocalTime& moment) override
    {
        const SYSTEMTIME s = ToSystemTime(moment);
        wchar_t text[128];
        const int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &s, nullptr, text, 128);
        return n > 0 ? Utf8Text(std::wstring_view(text, static_cast<size_t>(n - 1))) : std::string();
    }
};

class TWin32SystemInfo : public TSystemInfo {
public:
    std::string WindowsDirectory() override
    {
        wchar_t buffer[MAX_PATH] = {};
        const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
        return Utf8Text(std::wstring_view(buffer, n < MAX_PATH ? n : 0));
    }
};

class TWin32ProgramStarter : public TProgramStarter {
public:
    // As WinExec starts a program (which has no wide form): in a normal
    // window, waiting only until it is ready for input, then left to run.
    void StartProgram(const std::string& commandLine) override
    {
        std::wstring wide;
        if (!WidePath(commandLine, wide))
            return;
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION process = {};
        if (CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            WaitForInputIdle(process.hProcess, 30000);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
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
