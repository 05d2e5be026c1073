#include "controls/DirLabel.h"

#include <algorithm>
#include <vector>

namespace {

// The platform's text drawing takes the caption through a 256-character buffer.
constexpr size_t MaxDrawnLength = 255;
// Paths of this many characters or fewer are never shortened.
constexpr size_t ShortestShortened = 18;
constexpr unsigned CaptionFlags = tfPrefix | tfExpandTabs;

} // namespace

namespace {

// The text's characters, each with all its UTF-8 bytes, so that shortening
// never cuts one in two.
std::vector<std::string> Characters(const std::string& text)
{
    std::vector<std::string> characters;
    for (const char c : text) {
        const bool continuation = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
        if (continuation && !characters.empty())
            characters.back() += c;
        else
            characters.emplace_back(1, c);
    }
    return characters;
}

std::string Joined(std::vector<std::string>::const_iterator from, std::vector<std::string>::const_iterator to)
{
    std::string text;
    for (; from != to; ++from)
        text += *from;
    return text;
}

// The text's first n characters.
std::string FirstCharacters(const std::string& text, size_t n)
{
    const std::vector<std::string> characters = Characters(text);
    return Joined(characters.begin(), characters.begin() + static_cast<std::ptrdiff_t>(std::min(n, characters.size())));
}

} // namespace

std::string ShortenPathTo(const std::string& path, size_t n)
{
    const std::vector<std::string> text = Characters(path);
    if (n >= text.size() || n <= ShortestShortened)
        return path;
    size_t lastSlash = text.size();
    for (size_t i = text.size(); i > 0 && lastSlash == text.size(); --i)
        if (text[i - 1] == "\\")
            lastSlash = i - 1;
    // Without a backslash the result would hold the whole text again and only grow.
    if (lastSlash == text.size())
        return path;
    const size_t f = text.size() - lastSlash - 1; // characters of the last component
    auto tail = text.begin() + static_cast<std::ptrdiff_t>(n <= f + 6 ? lastSlash : text.size() - (n - 5));
    const size_t tailSize = static_cast<size_t>(text.end() - tail);
    if (tailSize - f > 1) {
        // Start the tail at a whole directory name.
        const auto cut = std::find(tail, text.end(), "\\");
        if (cut != text.end() && static_cast<size_t>(cut - tail) < tailSize - f)
            tail = cut;
    }
    return Joined(text.begin(), text.begin() + 3) + "..." + Joined(tail, text.end());
}

std::string ShortenPath(const std::string& text)
{
    std::string result = text;
    const size_t length = Characters(text).size();
    for (size_t n = length; n > ShortestShortened; --n) {
        result = ShortenPathTo(text, n);
        if (Characters(result).size() != length)
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
    const std::string measured = text.empty() ? std::string(" ") : FirstCharacters(text, MaxDrawnLength);
    return canvas.TextExtent(Font(), measured, CaptionFlags).Width;
}

void TDirLabel::DrawCaption(TDrawingSurface& canvas, const std::string& text) const
{
    const std::string drawn = FirstCharacters(text, MaxDrawnLength);
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
