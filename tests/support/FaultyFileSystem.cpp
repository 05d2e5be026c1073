#include "tests/support/FaultyFileSystem.h"

#include <algorithm>

#include "platform/Exception.h"

class TFaultyFileStream : public TFileStream {
public:
    TFaultyFileStream(std::string path, std::unique_ptr<TFileStream> inner, TFaultyFileSystem& disk)
        : FPath(std::move(path)), FInner(std::move(inner)), FDisk(disk)
    {
    }

    int32_t Read(void* buffer, int32_t count) override { return FInner->Read(buffer, count); }

    int32_t Write(const void* buffer, int32_t count) override
    {
        if (FDisk.Strikes(FDisk.FWrites, FDisk.FailWriteAt)) {
            const int32_t room = std::clamp<int32_t>(FDisk.PartialWrite, 0, std::max<int32_t>(count, 0));
            if (room > 0)
                FInner->Write(buffer, room);
            throw EWriteError(CannotWriteMessage(FPath, DiskFullReason));
        }
        return FInner->Write(buffer, count);
    }

    int64_t Seek(int64_t offset, TSeekOrigin origin) override { return FInner->Seek(offset, origin); }
    void SetSize(int64_t size) override { FInner->SetSize(size); }

    void SetDosDateTime(uint32_t dosDateTime) override
    {
        if (!FDisk.Strikes(FDisk.FDates, FDisk.FailDateAt))
            FInner->SetDosDateTime(dosDateTime);
    }

private:
    std::string FPath;
    std::unique_ptr<TFileStream> FInner;
    TFaultyFileSystem& FDisk;
};

bool TFaultyFileSystem::Strikes(int& calls, int failAt)
{
    if (++calls != failAt)
        return false;
    ++Fired;
    return true;
}

void TFaultyFileSystem::Disarm()
{
    FailCreateAt = FailWriteAt = FailDateAt = FailAttributesAt = FailMoveAt = FailDirectoryAt = 0;
    PartialWrite = 0;
    Fired = FCreates = FWrites = FDates = FAttributes = FMoves = FDirectories = 0;
}

std::unique_ptr<TFileStream> TFaultyFileSystem::CreateAlways(const std::string& path)
{
    if (Strikes(FCreates, FailCreateAt))
        throw EFCreateError("Cannot create file \"" + path + "\"");
    return std::make_unique<TFaultyFileStream>(path, TMemoryFileSystem::CreateAlways(path), *this);
}

bool TFaultyFileSystem::SetAttributes(const std::string& path, int32_t attributes)
{
    if (Strikes(FAttributes, FailAttributesAt))
        return false;
    return TMemoryFileSystem::SetAttributes(path, attributes);
}

bool TFaultyFileSystem::MoveFileReplacing(const std::string& from, const std::string& to)
{
    if (Strikes(FMoves, FailMoveAt)) {
        FailMove.insert(from); // reported as a file in use
        const bool moved = TMemoryFileSystem::MoveFileReplacing(from, to);
        FailMove.erase(from);
        return moved;
    }
    return TMemoryFileSystem::MoveFileReplacing(from, to);
}

void TFaultyFileSystem::MakeDirectory(const std::string& path)
{
    if (Strikes(FDirectories, FailDirectoryAt))
        throw EInOutError("Cannot create directory \"" + path + "\"");
    TMemoryFileSystem::MakeDirectory(path);
}

int32_t TFaultyReadStream::Read(void* buffer, int32_t count)
{
    if (++FReads == FFailAt) {
        FFired = true;
        throw EReadError("Stream read error");
    }
    return FInner.Read(buffer, count);
}
