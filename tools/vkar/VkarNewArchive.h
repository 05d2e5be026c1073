// Where c writes its archive: standard output ("-"), or a new file beside
// the archive's path that takes the path's place only once it is complete.
// An archive path that is a link is followed, so the link stays and its
// target is replaced. Nothing but the new file is ever removed.
#pragma once

#include <memory>
#include <string>

#include "platform/Stream.h"

class TVkarFileStream;

class TVkarNewArchive {
public:
    // Refuses (Exception) a path that is not a regular file, such as a
    // device or a directory, and one the user may not write.
    explicit TVkarNewArchive(const std::string& path);
    // Removes the new file unless it was committed.
    ~TVkarNewArchive();
    TVkarNewArchive(const TVkarNewArchive&) = delete;
    TVkarNewArchive& operator=(const TVkarNewArchive&) = delete;

    // Whether the archive goes to standard output, by "-" or by a path to
    // the file standard output writes to.
    bool SharesStandardOutput() const;
    // Whether the file at path is where the archive goes (the archive being
    // replaced, or the file standard output writes to).
    bool IsTheArchive(const std::string& path) const;

    // Creates the new file to write the archive into.
    TStream& Open();
    // Puts the complete archive in place (or onto standard output).
    void Commit();

private:
    void Discard();

    bool FToStandardOutput = false;
    std::string FTarget;    // the regular file to replace or create
    std::string FTemporary; // the new file beside it, once created
    std::unique_ptr<TVkarFileStream> FStream;
    bool FCommitted = false;
};
