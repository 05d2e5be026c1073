#include "archive/SharedSource.h"

#include "platform/Exception.h"

int32_t TSharedSource::ReadAt(int64_t position, void* buffer, int32_t count)
{
    std::lock_guard<std::mutex> lock(FLock);
    FArchive.SetPosition(position);
    return FArchive.Read(buffer, count);
}

int64_t TSharedSource::Size()
{
    std::lock_guard<std::mutex> lock(FLock);
    return FArchive.Size();
}

int32_t TSharedSourceReader::Read(void* buffer, int32_t count)
{
    if (count <= 0)
        return 0;
    const int32_t n = FSource.ReadAt(FPosition, buffer, count);
    FPosition += n;
    return n;
}

int32_t TSharedSourceReader::Write(const void*, int32_t)
{
    throw EWriteError("Stream write error");
}

int64_t TSharedSourceReader::Seek(int64_t offset, TSeekOrigin origin)
{
    const int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? FPosition : FSource.Size();
    if (base + offset < 0)
        throw EStreamError("Stream seek error: before the start");
    FPosition = base + offset;
    return FPosition;
}

void TSharedSourceReader::SetSize(int64_t)
{
    throw EWriteError("Stream write error");
}
