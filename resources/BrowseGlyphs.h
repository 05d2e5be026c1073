// The browse dialog's glyphs, drawn for this program: three folders of 16 by
// 15 pixels for the directory list and five drives of 16 by 11 for the drive
// list, in the 16 standard colours. Each row is one character per pixel: a
// hexadecimal palette index, or "." where the item's background shows.
#pragma once

#include <cstdint>

#include "installer/DirectoryList.h"
#include "installer/DriveList.h"

struct TGlyph {
    const char* Name; // the bitmap's resource name
    int Width;
    int Height;
    const char* const* Rows;
};

// The 16 colours as 0x00BBGGRR: black, maroon, green, olive, navy, purple,
// teal, silver, gray, red, lime, yellow, blue, fuchsia, aqua, white.
extern const uint32_t GlyphPalette[16];

// OPENFOLDER, CURRENTFOLDER, CLOSEDFOLDER, FLOPPY, HARD, NETWORK, CDROM, RAM.
extern const TGlyph BrowseGlyphs[8];

const TGlyph& FolderGlyph(TFolderGlyph glyph);
const TGlyph& DriveGlyph(TDriveGlyph glyph);
