// An interrupted c leaves no temporary archive behind: on SIGINT, SIGTERM
// or SIGHUP the file being written is removed, then vkar dies of the signal
// as it would have without the handler.
#pragma once

#include <string>

// The file to remove when a signal ends vkar; empty: none. The first call
// installs the handlers.
void VkarRemoveOnSignal(const std::string& path);

// Holds the three signals off while alive, so that a file can be made and
// named for removal with no moment between the two.
class TVkarSignalsHeld {
public:
    TVkarSignalsHeld();
    ~TVkarSignalsHeld();
    TVkarSignalsHeld(const TVkarSignalsHeld&) = delete;
    TVkarSignalsHeld& operator=(const TVkarSignalsHeld&) = delete;

private:
    alignas(16) unsigned char FOld[256]; // the mask before, as the system keeps it
};
// Makes sure descriptors 0, 1 and 2 are open (on /dev/null when closed), so
// that no file vkar opens takes their place and receives its messages.
void VkarOpenStandardDescriptors();
