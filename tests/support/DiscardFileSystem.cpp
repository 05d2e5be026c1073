#include "tests/support/DiscardFileSystem.h"

#include "platform/Exception.h"

int32_t TDiscardStream::Write(const void*, int32_t count)
{
    FPosition += count;
    if (FPosition > Written)
        Written = FPosition;
    return count;
}

int64_t TDiscardStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? FPosition : Written;
    FPosition = base + offset;
    return FPosition;
}

namespace {

// A discarding file that adds what it took to its file system's count.
class TCountedFile : public TDiscardStream {
public:
    explicit TCountedFile(TDiscardFileSystem& disk) : FDisk(disk) {}
    ~TCountedFile() override { FDisk.BytesWritten += Written; }

private:
    TDiscardFileSystem& FDisk;
};

} // namespace

std::unique_ptr<TFileStream> TDiscardFileSystem::CreateAlways(const std::string&)
{
    ++FilesCreated;
    return std::make_unique<TCountedFile>(*this);
}

std::unique_ptr<TFileStream> TDiscardFileSystem::OpenRead(const std::string& path)
{
    throw EFOpenError("Cannot open file \"" + path + "\"");
}

