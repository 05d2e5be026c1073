// The codec state: the buffered byte channel that every compression method
// reads its input from and writes its output to, one byte at a time.
//
// The per-byte operations are inline and touch only a pointer on the fast
// path. Output bookkeeping (byte sum, byte count, budget and the lock
// transform) is settled in bulk over the bytes stored since the last settle,
// before every flush and whenever the budget or the buffer end is reached;
// the result is the same as doing it byte by byte.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "codecs/CodecErrors.h"

class TStream;

using TShowProgressEvent = std::function<void(int32_t& PercentageDone)>;

inline constexpr int32_t CodecBufferSize = 8192;
inline constexpr uint8_t RLEEscape = 0x94;

// done x 100 / total for totals up to 100,000, else done / (total / 100).
inline int32_t PercentOf(int32_t done, int32_t total)
{
    if (total <= 100000)
        return total == 0 ? 0 : static_cast<int32_t>(static_cast<int64_t>(done) * 100 / total);
    return done / (total / 100);
}

class TCodecState {
public:
    TCodecState() = default;
    TCodecState(const TCodecState&) = delete;
    TCodecState& operator=(const TCodecState&) = delete;

    // Sets the channel up for one entry (both 8,192-byte buffers allocated).
    void BeginChannel(TStream& source, TStream& dest, int32_t sourceSize, bool compressing);
    // Writes what is left in the output buffer to FDest.
    void FlushOutput();
    // Releases both buffers.
    void EndChannel();

    uint8_t ReadByte()
    {
        if (FInPos == FInEnd)
            return RefillAndRead();
        uint8_t b = *FInPos++;
        FReadSum += b;
        if (FUnlockOnRead)
            b = LockTransform(b);
        return b;
    }

    void WriteByte(uint8_t b)
    {
        if (FOutPos == FOutLimit)
            WriteSlow(b);
        else
            *FOutPos++ = b;
    }

    // Room for plain stores at FOutPos before WriteByte would need its slow
    // path; hot loops may store up to this many bytes directly.
    int32_t OutputRoom() const { return static_cast<int32_t>(FOutLimit - FOutPos); }

    uint8_t LockTransform(uint8_t b)
    {
        b ^= FKey[FKeyIndex];
        FKeyIndex = static_cast<uint16_t>((FKeyIndex + 1) & 3);
        return b;
    }

    // Accounts the bytes stored since the last settle: lock transform, byte
    // sum, byte count and budget.
    void SettleOutput();

    // Channel fields, set by the engine before a method runs.
    TStream* FSource = nullptr;
    TStream* FDest = nullptr;
    std::unique_ptr<uint8_t[]> FInBuf;
    uint8_t* FInPos = nullptr;
    uint8_t* FInEnd = nullptr;
    std::unique_ptr<uint8_t[]> FOutBuf;
    uint8_t* FOutPos = nullptr;
    uint8_t* FOutEnd = nullptr;
    bool FEndOfInput = false;
    // The entry's data ended before all its stored bytes were taken (the
    // source ran out, or progress cancelled), or a decoder used bits beyond
    // them: the file is incomplete, whatever its byte sum says.
    bool FInputCut = false;
    bool FReadPastData = false;
    // Bytes a bit reader took as 0 after the end of input; a decoder that
    // consumed any of their bits read past its data.
    int32_t FZeroFill = 0;
    int32_t FRemaining = 0;
    int32_t FChunk = CodecBufferSize;
    int32_t FBytesRead = 0;
    uint32_t FReadSum = 0;
    uint32_t FWriteSum = 0;
    int32_t FWriteCount = 0;
    int32_t FOutputBudget = 0x7FFFFFFF;
    bool FUnlockOnRead = false;
    bool FLockOnWrite = false;
    uint8_t FKey[4] = {0, 0, 0, 0};
    uint16_t FKeyIndex = 0;
    TShowProgressEvent FOnShowProgress;

    // Run-length coder state.
    bool FFirstByte = true;
    bool FRunActive = false;
    uint8_t FRunChar = 0;
    int32_t FRunCount = 0;

private:
    uint8_t RefillAndRead();
    void WriteSlow(uint8_t b);
    void UpdateOutputLimit();

    uint8_t* FOutSettled = nullptr; // bytes before this are accounted for
    uint8_t* FOutLimit = nullptr;   // end of the fast path: buffer end or budget
};
