#include "installer/ProgressPacing.h"

bool TProgressPacing::NoteName(const std::string& name, uint32_t nowMs)
{
    FPending.NameChanged = true;
    FPending.Name = name;
    return name.empty() || FrameDue(nowMs);
}

bool TProgressPacing::NotePercent(int32_t percent, uint32_t nowMs)
{
    FPending.PercentChanged = true;
    FPending.Percent = percent;
    return FrameDue(nowMs);
}

bool TProgressPacing::FrameDue(uint32_t nowMs) const
{
    if (!FPending.NameChanged && !FPending.PercentChanged)
        return false;
    return !FFramed || nowMs - FFrameAt >= FrameMs;
}

TProgressPacing::TFrame TProgressPacing::TakeFrame(uint32_t nowMs)
{
    TFrame frame = FPending;
    FPending = TFrame();
    FFramed = true;
    FFrameAt = nowMs;
    FChanged = true;
    return frame;
}

bool TProgressPacing::ProcessMessages(uint32_t nowMs)
{
    if (!FChanged && nowMs - FMessagesAt < MessageIntervalMs)
        return false;
    FChanged = false;
    FMessagesAt = nowMs;
    return true;
}
