// Per-entry progress on the terminal: "\rNAME  37%" on standard error,
// erased before the next line is printed. Nothing at all when standard error
// is not a terminal, so that redirected output holds only the listing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "codecs/CodecState.h"

class TVkarProgress {
public:
    // Shows progress only when wanted and standard error is a terminal.
    explicit TVkarProgress(bool wanted);
    ~TVkarProgress() { Clear(); }

    void Begin(const std::string& label);
    // Erases the progress line, if one is shown.
    void Clear();
    // The handler for the archiver's OnShowProgress; never cancels.
    TShowProgressEvent Handler();

private:
    void Show(int32_t percent);

    bool FEnabled;
    std::string FLabel;
    int32_t FShown = -1;
    size_t FWidth = 0;
};
