#include "controls/DirLabel.h"

namespace {

// The platform's text drawing takes the caption through a 256-character buffer.
constexpr size_t MaxDrawnLength = 255;
// Paths of this many characters or fewer are never shortened.
constexpr size_t ShortestShortened = 18;
constexpr unsigned CaptionFlags = tfPrefix | tfExpandTabs;

} // namespace

std::string ShortenPathTo(const std::string& text, size_t n)
{
    if (n >= text.size() || n <= ShortestShortened)
        return text;
    const size_t lastSlash = text.rfind('\\');
    // Without a backslash the result would hold the whole text again and only grow.
    if (lastSlash == std::string::npos)
        return text;
    const size_t f = text.size() - lastSlash - 1; // characters of the last component
    std::string tail = n <= f + 6 ? text.substr(lastSlash) : text.substr(text.size() - (n - 5));
    if (tail.size() - f > 1) {
        // Start the tail at a whole directory name.
        const size_t cut = tail.find('\\');
        if (cut != std::string::npos && cut < tail.size() - f)
            tail.erase(0, cut);
    }
    return text.substr(0, 3) + "..." + tail;
}

std::string ShortenPath(const std::string& text)
{
    std::string result = text;
    for (size_t n = text.size(); n > ShortestShortened; --n) {
        result = ShortenPathTo(text, n);
        if (result.size() != text.size())
            break;
    }
    return result;
}

TDirLabel::TDirLabel() : TGraphicControl(65, 17)
{
    FDirName = FCaption;
}

void TDirLabel::SetDirName(const std::string& value)
{
    if (value == FDirName)
        return;
    FDirName = value;
    FCaption = value;
    Invalidate();
}

void TDirLabel::SetCaption(const std::string& value)
{
    if (value == FCaption)
        return;
    FCaption = value;
    Invalidate();
}

void TDirLabel::SetAlignment(TAlignment value)
{
    if (value == FAlignment)
        return;
    FAlignment = value;
    Invalidate();
}

void TDirLabel::SetTransparent(bool value)
{
    if (value == FTransparent)
        return;
    FTransparent = value;
    Invalidate();
}

void TDirLabel::SetBounds(int left, int top, int width, int height)
{
    if (!Loading() && width != Width()) {
        if (FDirName.empty())
            FDirName = FCaption;
        else
            SetCaption(FDirName);
    }
    TGraphicControl::SetBounds(left, top, width, height);
}

int TDirLabel::MeasureCaption(TDrawingSurface& canvas, const std::string& text) const
{
    const std::string measured = text.empty() ? std::string(" ") : text.substr(0, MaxDrawnLength);
    return canvas.TextExtent(Font(), measured, CaptionFlags).Width;
}

void TDirLabel::DrawCaption(TDrawingSurface& canvas, const std::string& text) const
{
    const std::string drawn = text.substr(0, MaxDrawnLength);
    const TRect client{0, 0, Width(), Height()};
    const int tw = canvas.TextExtent(Font(), drawn, CaptionFlags).Width;
    int x = 0;
    if (FAlignment == taRightJustify)
        x = Width() - tw;
    else if (FAlignment == taCenter)
        x = (Width() - tw) / 2;
    TFont font = Font();
    if (Enabled()) {
        canvas.TextOut(font, {x, 0}, drawn, client, CaptionFlags);
        return;
    }
    // Disabled: an embossed look, highlight one pixel down and right, shadow on top.
    font.Color = clBtnHighlight;
    canvas.TextOut(font, {x + 1, 1}, drawn, {1, 1, client.Right + 1, client.Bottom + 1}, CaptionFlags);
    font.Color = clBtnShadow;
    canvas.TextOut(font, {x, 0}, drawn, client, CaptionFlags);
}

void TDirLabel::Paint(TDrawingSurface& canvas)
{
    if (!FTransparent)
        canvas.FillRect({0, 0, Width(), Height()}, Color());
    std::string t = FCaption;
    int avail = Width() - MeasureCaption(canvas, t) - 1;
    while (avail < 0 && !t.empty()) {
        std::string shorter = ShortenPath(t);
        if (shorter.size() != t.size()) {
            t = std::move(shorter);
            SetCaption(t);
            avail = Width() - MeasureCaption(canvas, t) - 1;
        } else {
            t.clear(); // as short as it gets: drawn clipped
        }
    }
    DrawCaption(canvas, FCaption);
}
