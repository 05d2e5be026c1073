// Runs one codec routine over in-memory bytes through a real TCodecState
// channel (BeginChannel, the routine, FlushOutput, EndChannel) and hands back
// what it wrote together with the channel's byte sums.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

class TCodecState;

struct TCodecRun {
    std::vector<uint8_t> Output;
    uint32_t ReadSum = 0;
    uint32_t WriteSum = 0;
    bool InputCut = false;     // the data ended before its size, or was cancelled
    bool ReadPastData = false; // the decoder used bits beyond its data
};

using TCodecRoutine = std::function<void(TCodecState&)>;
// An expand routine that takes the expanded size (ExpandLZH, ExpandLH5).
using TExpandRoutine = std::function<void(TCodecState&, int32_t)>;
// Runs after BeginChannel and before the routine: set keys, a progress
// handler, or a wider output budget.
using TCodecSetup = std::function<void(TCodecState&)>;

// The channel as the expansion engine prepares it (no output budget).
TCodecRun RunExpand(const TExpandRoutine& routine, const std::vector<uint8_t>& input,
                    int32_t expandedSize, const TCodecSetup& setup = {});
TCodecRun RunExpand(const TCodecRoutine& routine, const std::vector<uint8_t>& input,
                    const TCodecSetup& setup = {});
// The channel as the compressing side prepares it: the output budget is the
// input size unless setup widens it (see UnlimitedBudget).
TCodecRun RunCompress(const TCodecRoutine& routine, const std::vector<uint8_t>& input,
                      const TCodecSetup& setup = {});

// A setup that lets a coder write any amount (for incompressible inputs).
void UnlimitedBudget(TCodecState& codec);

// Sum of the bytes modulo 2 to the 32nd, as the channel counts them.
uint32_t ByteSum(const std::vector<uint8_t>& bytes);
