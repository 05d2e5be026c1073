// Shell link (.lnk) files, made through the system's shell link object.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Exception.h"

// The shell link object or one of its interfaces could not be had.
DECLARE_EXCEPTION(EShellLinkError);
// The link file could not be written (its folder missing or not writable, the
// disk full): the message names the file.
DECLARE_EXCEPTION(ELinkNotSaved);

struct TShellLinkInfo {
    std::string LinkFile;    // full path of the link file to write
    std::string Target;      // the file that the link starts or opens
    std::string Arguments;   // command-line arguments, may be empty
    std::string Description; // may be empty
    std::string WorkingDir;  // the start-in directory
    int32_t ShowCmd = 1;     // window show state (1: normal window)
    std::string IconFile;    // icon location, may be empty
    uint8_t IconIndex = 0;   // icon index within IconFile
};

class TShellLinks {
public:
    virtual ~TShellLinks() = default;
    // Writes link.LinkFile, replacing a file of that name: EShellLinkError when the
    // link object cannot be made, ELinkNotSaved when the file cannot be written.
    virtual void SaveLink(const TShellLinkInfo& link) = 0;
    // Reads linkFile back: its Target and Arguments (link.LinkFile is set too).
    // False when there is no such link or it cannot be read.
    virtual bool LoadLink(const std::string& linkFile, TShellLinkInfo& link) = 0;
};
