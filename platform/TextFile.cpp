#include "platform/TextFile.h"

#include "platform/CodePage.h"
#include "platform/Exception.h"

namespace {

std::unique_ptr<TFileStream> CreateTextFile(TFileSystem& files, const std::string& path)
{
    try {
        return files.CreateAlways(path);
    } catch (const EFCreateError& e) {
        throw EInOutError(e.Message());
    }
}

} // namespace

std::string TextOfFileBytes(std::string_view bytes, unsigned codePage)
{
    const std::string_view mark = Utf8ByteOrderMark;
    if (bytes.substr(0, mark.size()) == mark) {
        bytes.remove_prefix(mark.size());
        Utf8ToUtf16(bytes); // raises for bytes that are no UTF-8
        return std::string(bytes);
    }
    return AnsiToUtf8(bytes, codePage);
}

void TTextFile::Rewrite(TFileSystem& files, const std::string& path, unsigned codePage)
{
    Close();
    FStream = CreateTextFile(files, path);
    FFiles = &files;
    FPath = path;
    FCodePage = codePage;
    FUtf8 = false;
}

void TTextFile::Write(const std::string& bytes)
{
    const auto size = static_cast<int32_t>(bytes.size());
    if (FStream->Write(bytes.data(), size) != size)
        throw EInOutError("Cannot write to file \"" + FPath + "\"");
}

void TTextFile::RewriteAsUtf8()
{
    FStream.reset();
    FStream = CreateTextFile(*FFiles, FPath);
    FUtf8 = true;
    std::string text = Utf8ByteOrderMark;
    for (const std::string& line : FLines)
        text += line + "\r\n";
    Write(text);
}

void TTextFile::WriteLine(const std::string& text)
{
    if (!FStream)
        throw EInOutError("File not open");
    FLines.push_back(text);
    if (!FUtf8) {
        std::string ansi;
        if (Utf8ToAnsi(text, FCodePage, ansi)) {
            Write(ansi + "\r\n");
            return;
        }
        RewriteAsUtf8();
        return;
    }
    Write(text + "\r\n");
}
