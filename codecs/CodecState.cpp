#include "codecs/CodecState.h"

#include <algorithm>

#include "platform/Stream.h"
#include "platform/Yield.h"

void TCodecState::BeginChannel(TStream& source, TStream& dest, int32_t sourceSize, bool compressing)
{
    FSource = &source;
    FDest = &dest;
    FInBuf = std::make_unique<uint8_t[]>(CodecBufferSize);
    FInPos = FInEnd = FInBuf.get();
    FOutBuf = std::make_unique<uint8_t[]>(CodecBufferSize);
    FOutPos = FOutSettled = FOutBuf.get();
    FOutEnd = FOutBuf.get() + CodecBufferSize;
    FFirstByte = true;
    FEndOfInput = FRunActive = false;
    FInputCut = FReadPastData = false;
    FZeroFill = 0;
    FRunChar = 0;
    FRunCount = 0;
    FReadSum = FWriteSum = 0;
    FRemaining = sourceSize;
    FChunk = CodecBufferSize;
    FBytesRead = 0;
    FWriteCount = compressing ? 0 : 1;
    FOutputBudget = compressing ? sourceSize : 0x7FFFFFFF;
    FKeyIndex = 0;
    UpdateOutputLimit();
}

void TCodecState::UpdateOutputLimit()
{
    const int64_t room = FOutEnd - FOutPos;
    const int64_t budget = std::max<int32_t>(FOutputBudget, 0);
    FOutLimit = FOutPos + std::min(room, budget);
}

void TCodecState::SettleOutput()
{
    uint32_t sum = 0;
    if (FLockOnWrite) {
        for (uint8_t* p = FOutSettled; p != FOutPos; ++p) {
            *p = LockTransform(*p);
            sum += *p;
        }
    } else {
        for (const uint8_t* p = FOutSettled; p != FOutPos; ++p)
            sum += *p;
    }
    const auto n = static_cast<int32_t>(FOutPos - FOutSettled);
    FWriteSum += sum;
    FWriteCount += n;
    FOutputBudget -= n;
    FOutSettled = FOutPos;
}

void TCodecState::WriteSlow(uint8_t b)
{
    SettleOutput();
    if (FOutputBudget <= 0)
        throw EUnableToCompress(SUnableToCompress);
    if (FOutPos == FOutEnd) {
        ProcessorYield();
        FDest->WriteBuffer(FOutBuf.get(), CodecBufferSize);
        FOutPos = FOutSettled = FOutBuf.get();
    }
    UpdateOutputLimit();
    *FOutPos++ = b;
}

void TCodecState::FlushOutput()
{
    if (!FOutBuf)
        return;
    SettleOutput();
    const auto n = static_cast<int32_t>(FOutPos - FOutBuf.get());
    if (n > 0)
        FDest->WriteBuffer(FOutBuf.get(), n);
    FOutPos = FOutSettled = FOutBuf.get();
    UpdateOutputLimit();
}

void TCodecState::EndChannel()
{
    FInBuf.reset();
    FOutBuf.reset();
    FInPos = FInEnd = FOutPos = FOutEnd = FOutSettled = FOutLimit = nullptr;
}

uint8_t TCodecState::RefillAndRead()
{
    FEndOfInput = true;
    if (FRemaining == 0)
        return 0;
    if (FChunk > FRemaining)
        FChunk = FRemaining;
    const int32_t n = FSource->Read(FInBuf.get(), FChunk);
    if (n <= 0) {
        FInputCut = true;
        return 0;
    }
    FRemaining -= n;
    FInPos = FInBuf.get();
    FInEnd = FInBuf.get() + n;
    if (FOnShowProgress) {
        FBytesRead += n;
        int32_t percent = PercentOf(FBytesRead, FBytesRead + FRemaining);
        FOnShowProgress(percent);
        if (percent == -1) {
            FInputCut = true;
            return 0;
        }
    }
    ProcessorYield();
    FEndOfInput = false;
    return ReadByte();
}
