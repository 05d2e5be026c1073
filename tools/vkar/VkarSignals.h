// An interrupted c leaves no temporary archive behind: on SIGINT, SIGTERM
// or SIGHUP the file being written is removed, then vkar dies of the signal
// as it would have without the handler.
#pragma once

#include <string>

// The file to remove when a signal ends vkar; empty: none.
void VkarRemoveOnSignal(const std::string& path);
// Makes sure descriptors 0, 1 and 2 are open (on /dev/null when closed), so
// that no file vkar opens takes their place and receives its messages.
void VkarOpenStandardDescriptors();
