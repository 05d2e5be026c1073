#include "platform/Stream.h"

#include <algorithm>
#include <cstring>

#include "platform/Exception.h"

int64_t TStream::Size()
{
    const int64_t here = Position();
    const int64_t end = Seek(0, TSeekOrigin::soEnd);
    SetPosition(here);
    return end;
}

void TStream::ReadBuffer(void* buffer, int32_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int32_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError("Stream write error");
}

namespace {

int64_t SeekWithin(int64_t position, int64_t size, int64_t offset, TSeekOrigin origin)
{
    int64_t base = 0;
    switch (origin) {
    case TSeekOrigin::soBeginning: base = 0; break;
    case TSeekOrigin::soCurrent: base = position; break;
    case TSeekOrigin::soEnd: base = size; break;
    }
    // A memory stream may stand beyond its end (reads then return nothing),
    // but never before its start.
    return std::max<int64_t>(0, base + offset);
}

int32_t ReadWithin(const uint8_t* data, int64_t size, int64_t& position, void* buffer, int32_t count)
{
    if (count <= 0 || position >= size)
        return 0;
    const int64_t n = std::min<int64_t>(count, size - position);
    std::memcpy(buffer, data + position, static_cast<size_t>(n));
    position += n;
    return static_cast<int32_t>(n);
}

} // namespace

int32_t TMemoryStream::Read(void* buffer, int32_t count)
{
    return ReadWithin(FBytes.data(), static_cast<int64_t>(FBytes.size()), FPosition, buffer, count);
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count)
{
    if (count <= 0)
        return 0;
    const auto end = static_cast<size_t>(FPosition) + static_cast<size_t>(count);
    if (end > FBytes.size())
        FBytes.resize(end);
    std::memcpy(FBytes.data() + FPosition, buffer, static_cast<size_t>(count));
    FPosition = static_cast<int64_t>(end);
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    FPosition = SeekWithin(FPosition, static_cast<int64_t>(FBytes.size()), offset, origin);
    return FPosition;
}

void TMemoryStream::SetSize(int64_t size)
{
    FBytes.resize(static_cast<size_t>(std::max<int64_t>(0, size)));
    FPosition = std::min<int64_t>(FPosition, static_cast<int64_t>(FBytes.size()));
}

int32_t TReadOnlyMemoryStream::Read(void* buffer, int32_t count)
{
    return ReadWithin(FData, FSize, FPosition, buffer, count);
}

int32_t TReadOnlyMemoryStream::Write(const void*, int32_t)
{
    throw EWriteError("Stream write error");
}

int64_t TReadOnlyMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    FPosition = SeekWithin(FPosition, FSize, offset, origin);
    return FPosition;
}

void TReadOnlyMemoryStream::SetSize(int64_t)
{
    throw EWriteError("Stream write error");
}
