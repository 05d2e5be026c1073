// Paces the copy dialog's updates, which cost a trip to the window system.
// The install run reports the file and the progress and lets messages
// through after every 8 KiB, which takes well under a millisecond to decode;
// a paint of the gauge or of a file name, or a look at the message queue,
// can take longer than that. So what the run reports is shown at most once a
// frame, the latest of it (a file's name and progress, if it went by within
// one frame, is not shown at all), and the queue is looked at after every
// frame and otherwise at most once an interval: the window stays live to the
// eye and to the Cancel button.
#pragma once

#include <cstdint>
#include <string>

class TProgressPacing {
public:
    static constexpr uint32_t FrameMs = 40;
    static constexpr uint32_t MessageIntervalMs = 15;

    // What a frame shows: the parts that changed since the last one.
    struct TFrame {
        bool NameChanged = false;
        std::string Name;
        bool PercentChanged = false;
        int32_t Percent = 0;
    };

    // Note what the run reports; true when a frame is due at nowMs (a
    // millisecond counter that may wrap around). The end of the files (an
    // empty name) is always due.
    bool NoteName(const std::string& name, uint32_t nowMs);
    bool NotePercent(int32_t percent, uint32_t nowMs);
    // Whether something noted waits to be shown and its frame is due.
    bool FrameDue(uint32_t nowMs) const;
    // What is to be shown now; the next frame is due FrameMs after nowMs.
    TFrame TakeFrame(uint32_t nowMs);

    // Whether the message queue should be processed now: after a frame or
    // another change to the window, else once an interval.
    bool ProcessMessages(uint32_t nowMs);
    void NoteChange() { FChanged = true; }

private:
    TFrame FPending;
    bool FFramed = false;
    uint32_t FFrameAt = 0;
    bool FChanged = true;
    uint32_t FMessagesAt = 0;
};
