#include <gtest/gtest.h>

#include "installer/ProgressPacing.h"

namespace {

constexpr uint32_t Frame = TProgressPacing::FrameMs;
constexpr uint32_t Interval = TProgressPacing::MessageIntervalMs;

// The run reports a file and its progress every few milliseconds: what the
// dialog shows is the latest of it, once a frame.
TEST(ProgressPacing, ShowsTheLatestReportOnceAFrame)
{
    for (const uint32_t start : {1000u, 0xFFFFFFF0u}) { // the second wraps round
        SCOPED_TRACE(start);
        TProgressPacing pacing;
        EXPECT_TRUE(pacing.NoteName("ZARNFTP.EXE", start)) << "the first report shows at once";
        TProgressPacing::TFrame frame = pacing.TakeFrame(start);
        EXPECT_TRUE(frame.NameChanged);
        EXPECT_EQ(frame.Name, "ZARNFTP.EXE");
        EXPECT_FALSE(frame.PercentChanged);

        EXPECT_FALSE(pacing.NotePercent(10, start + 5));
        EXPECT_FALSE(pacing.NoteName("README.TXT", start + 10));
        EXPECT_FALSE(pacing.NotePercent(40, start + Frame - 1));
        EXPECT_FALSE(pacing.FrameDue(start + Frame - 1));
        EXPECT_TRUE(pacing.FrameDue(start + Frame));
        frame = pacing.TakeFrame(start + Frame);
        EXPECT_TRUE(frame.NameChanged);
        EXPECT_EQ(frame.Name, "README.TXT");
        EXPECT_TRUE(frame.PercentChanged);
        EXPECT_EQ(frame.Percent, 40);

        // Nothing new: nothing is due, however long it has been.
        EXPECT_FALSE(pacing.FrameDue(start + 10 * Frame));
        frame = pacing.TakeFrame(start + 10 * Frame);
        EXPECT_FALSE(frame.NameChanged);
        EXPECT_FALSE(frame.PercentChanged);
        // Long after the last frame a report shows at once.
        EXPECT_TRUE(pacing.NotePercent(70, start + 12 * Frame));
    }
}

TEST(ProgressPacing, TheEndOfTheFilesIsAlwaysShown)
{
    TProgressPacing pacing;
    pacing.NoteName("SITES.INI", 500);
    pacing.TakeFrame(500);
    EXPECT_FALSE(pacing.NotePercent(100, 501));
    EXPECT_TRUE(pacing.NoteName("", 502));
    const TProgressPacing::TFrame frame = pacing.TakeFrame(502);
    EXPECT_TRUE(frame.NameChanged);
    EXPECT_EQ(frame.Name, "");
    EXPECT_TRUE(frame.PercentChanged);
    EXPECT_EQ(frame.Percent, 100);
}

// The queue is looked at after every change to the window, otherwise once
// an interval.
TEST(ProgressPacing, ProcessesMessagesAfterAChangeOrOnceAnInterval)
{
    TProgressPacing pacing;
    EXPECT_TRUE(pacing.ProcessMessages(100)) << "the first time";
    EXPECT_FALSE(pacing.ProcessMessages(101));
    EXPECT_FALSE(pacing.ProcessMessages(100 + Interval - 1));
    EXPECT_TRUE(pacing.ProcessMessages(100 + Interval));
    EXPECT_FALSE(pacing.ProcessMessages(101 + Interval));
    pacing.NoteChange();
    EXPECT_TRUE(pacing.ProcessMessages(102 + Interval));
    EXPECT_FALSE(pacing.ProcessMessages(103 + Interval));
    pacing.NoteName("UNZARN.EXE", 104 + Interval);
    pacing.TakeFrame(104 + Interval);
    EXPECT_TRUE(pacing.ProcessMessages(105 + Interval)) << "a frame was shown";
    // Across the counter's wrap.
    TProgressPacing wrapping;
    EXPECT_TRUE(wrapping.ProcessMessages(0xFFFFFFFAu));
    EXPECT_FALSE(wrapping.ProcessMessages(2));
    EXPECT_TRUE(wrapping.ProcessMessages(Interval));
}

} // namespace
