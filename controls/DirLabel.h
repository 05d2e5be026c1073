// TDirLabel: a one-line label that holds a full directory path in DirName and
// shows it shortened to fit its width (C:\...\Common Files\ZarnFTP). The
// display never alters DirName.
#pragma once

#include <cstdint>
#include <string>

#include "controls/GraphicControl.h"

enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

class TDirLabel : public TGraphicControl {
public:
    TDirLabel();

    const std::string& DirName() const { return FDirName; }
    void SetDirName(const std::string& value);
    // The text actually shown: DirName, or a shortened form of it after a paint.
    const std::string& Caption() const { return FCaption; }

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    // Kept for the label's design; the text is always drawn with prefix processing.
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool value) { FShowAccelChar = value; }

    // A width change puts the full path back, so the next paint shortens it afresh.
    void SetBounds(int left, int top, int width, int height) override;
    void Paint(TDrawingSurface& canvas) override;

private:
    void SetCaption(const std::string& value);
    int MeasureCaption(TDrawingSurface& canvas, const std::string& text) const;
    void DrawCaption(TDrawingSurface& canvas, const std::string& text) const;

    std::string FDirName;
    std::string FCaption;
    TAlignment FAlignment = taLeftJustify;
    bool FTransparent = false;
    bool FShowAccelChar = true;
};

// One round of shortening: tries target lengths from the text's own down to 19
// and returns the first result whose length differs, or the text itself.
std::string ShortenPath(const std::string& text);
// The text cut to about n characters: its first three, "...", and a tail that
// starts at a backslash. Texts of 18 characters or fewer, or without a
// backslash, come back unchanged.
std::string ShortenPathTo(const std::string& text, size_t n);
