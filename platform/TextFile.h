// A text file written line by line, each line ending in CR LF. Every line
// goes to the disk when it is written, so a file closed early by an error
// holds all the lines before it.
#pragma once

#include <memory>
#include <string>

#include "platform/FileSystem.h"

class TTextFile {
public:
    // Creates path, or empties an existing file: EInOutError when it cannot.
    void Rewrite(TFileSystem& files, const std::string& path);
    // Writes text and CR LF: EInOutError when the file is not open or the disk takes less.
    void WriteLine(const std::string& text);
    // Closes the file, keeping what was written; nothing happens when it is not open.
    void Close() noexcept { FStream.reset(); }
    bool IsOpen() const { return FStream != nullptr; }

private:
    std::unique_ptr<TFileStream> FStream;
    std::string FPath;
};
