#include "platform/TextFile.h"

#include "platform/Exception.h"

void TTextFile::Rewrite(TFileSystem& files, const std::string& path)
{
    Close();
    try {
        FStream = files.CreateAlways(path);
    } catch (const EFCreateError& e) {
        throw EInOutError(e.Message());
    }
    FPath = path;
}

void TTextFile::WriteLine(const std::string& text)
{
    if (!FStream)
        throw EInOutError("File not open");
    const std::string line = text + "\r\n";
    const auto size = static_cast<int32_t>(line.size());
    if (FStream->Write(line.data(), size) != size)
        throw EInOutError("Cannot write to file \"" + FPath + "\"");
}
