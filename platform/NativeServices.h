// The real Windows implementations of the installer's services, for the
// setup program and the tests that run under Windows (or Wine). COM must be
// initialised on the calling thread before links are made.
#pragma once

#include <memory>

class TClock;
class TProgramStarter;
class TRegistry;
class TShellLinks;
class TSystemInfo;

// advapi32: each object keeps its own open key.
std::unique_ptr<TRegistry> MakeNativeRegistry();
// IShellLinkA and IPersistFile.
TShellLinks& NativeShellLinks();
// GetLocalTime with the user's short date and long time formats.
TClock& NativeClock();
// GetWindowsDirectoryA.
TSystemInfo& NativeSystemInfo();
// WinExec in a normal window.
TProgramStarter& NativeProgramStarter();
