// The application the setup program installs, in this build a small window
// titled "ZarnFTP 2.7.4" that shows the command line it was started with,
// so that shortcuts, App Paths and the ftp handler can be seen to start it.
// With ZARNFTP_RECORD set in the environment it appends its command line to
// that file and ends at once: how tests see that it was started, and how.
#include <windows.h>

#include <cstdio>

namespace {

const char* const Title = "ZarnFTP 2.7.4";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool Record(const char* commandLine)
{
    char path[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("ZARNFTP_RECORD", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return false;
    if (FILE* file = std::fopen(path, "ab")) {
        std::fprintf(file, "%s\r\n", commandLine);
        std::fclose(file);
    }
    return true;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    const char* commandLine = GetCommandLineA();
    if (Record(commandLine))
        return 0;

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "ZarnFTPMain";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "ZarnFTPMain", Title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 520, 160,
                                  nullptr, nullptr, instance, nullptr);
    char text[1024];
    std::snprintf(text, sizeof text, "Started as: %s", commandLine);
    CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT, 12, 12, 480, 80, window, nullptr,
                    instance, nullptr);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
