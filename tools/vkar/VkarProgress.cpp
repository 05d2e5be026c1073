#include "tools/vkar/VkarProgress.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define VKAR_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define VKAR_ISATTY(f) isatty(fileno(f))
#endif

TVkarProgress::TVkarProgress(bool wanted) : FEnabled(wanted && VKAR_ISATTY(stderr)) {}

void TVkarProgress::Begin(const std::string& label)
{
    Clear();
    FLabel = label;
    FShown = -1;
}

void TVkarProgress::Clear()
{
    if (FWidth == 0)
        return;
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(FWidth), "");
    std::fflush(stderr);
    FWidth = 0;
}

TShowProgressEvent TVkarProgress::Handler()
{
    if (!FEnabled)
        return nullptr;
    return [this](int32_t& PercentageDone) { Show(PercentageDone); };
}

void TVkarProgress::Show(int32_t percent)
{
    // The engine reports 0, one value per 8 KiB read, then 100; redraw only
    // when the figure changes.
    if (percent == FShown)
        return;
    FShown = percent;
    const std::string line = FLabel + "  " + std::to_string(percent) + "%";
    std::fprintf(stderr, "\r%s", line.c_str());
    if (line.size() < FWidth)
        std::fprintf(stderr, "%*s", static_cast<int>(FWidth - line.size()), "");
    std::fflush(stderr);
    if (line.size() > FWidth)
        FWidth = line.size();
}
