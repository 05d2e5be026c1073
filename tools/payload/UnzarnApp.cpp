// The uninstaller the archive carries, for now only telling which log it was
// given; it removes nothing yet.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    char text[1024];
    std::snprintf(text, sizeof text, "ZarnFTP cannot be removed automatically yet.\n\nInstall log: %s", commandLine);
    MessageBoxA(nullptr, text, "Uninstall ZarnFTP", MB_OK | MB_ICONINFORMATION);
    return 0;
}
