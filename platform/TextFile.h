// A text file written line by line, each line ending in CR LF. Every line
// goes to the disk when it is written, so a file closed early by an error
// holds all the lines before it.
//
// Lines are UTF-8. The file holds them as ANSI text of its code page while
// every line so far has an exact form there, so a file of such lines is
// byte for byte what an ANSI program writes; at the first line that has
// none, the file is written again whole as UTF-8 after a byte-order mark.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

// Marks a text file as UTF-8.
inline constexpr char Utf8ByteOrderMark[] = "\xEF\xBB\xBF";

// A text file's bytes as UTF-8: after a byte-order mark they are UTF-8
// already, otherwise ANSI text of codePage. EConvertError when they are not
// what they claim to be.
std::string TextOfFileBytes(std::string_view bytes, unsigned codePage);

class TTextFile {
public:
    // Creates path, or empties an existing file: EInOutError when it cannot.
    void Rewrite(TFileSystem& files, const std::string& path, unsigned codePage);
    // Writes text and CR LF: EInOutError when the file is not open or the disk takes less.
    void WriteLine(const std::string& text);
    // Closes the file, keeping what was written; nothing happens when it is not open.
    void Close() noexcept
    {
        FStream.reset();
        FLines.clear();
    }
    bool IsOpen() const { return FStream != nullptr; }
    // Whether the file is (so far) UTF-8 rather than ANSI text.
    bool IsUtf8() const { return FUtf8; }

private:
    void Write(const std::string& bytes);
    // Starts the file again as UTF-8 with every line so far.
    void RewriteAsUtf8();

    TFileSystem* FFiles = nullptr;
    std::unique_ptr<TFileStream> FStream;
    std::string FPath;
    unsigned FCodePage = 0;
    bool FUtf8 = false;
    std::vector<std::string> FLines; // as given, for a rewrite as UTF-8
};
