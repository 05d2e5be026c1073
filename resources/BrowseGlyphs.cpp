#include "resources/BrowseGlyphs.h"

namespace {

const char* const OPENFOLDERRows[] = {
    "................",
    "................",
    "..00000.........",
    ".0BBBBB0........",
    ".0BFFFFB0000000.",
    ".0BF333333333B0.",
    ".0BF300000000000",
    ".0B30BBBBBBBBBB0",
    ".0B0BBBBBBBBBB0.",
    ".0B0BBBBBBBBB0..",
    ".000BBBBBBBBB0..",
    ".00BBBBBBBBB0...",
    ".0000000000000..",
    "................",
    "................",
};

const char* const CLOSEDFOLDERRows[] = {
    "................",
    "................",
    "..00000.........",
    ".0BBBBB0........",
    ".0FFFFFF0000000.",
    ".0FBBBBBBBBBBB0.",
    ".0FBBBBBBBBBBB0.",
    ".0FBBBBBBBBBBB0.",
    ".0FBBBBBBBBBBB0.",
    ".0FBBBBBBBBBBB0.",
    ".0FBBBBBBBBBBB0.",
    ".03333333333330.",
    ".00000000000000.",
    "................",
    "................",
};

const char* const CURRENTFOLDERRows[] = {
    "................",
    "................",
    "..00000.........",
    ".0BBBBB0........",
    ".0BFFFFB0000000.",
    ".0BF333333333B0.",
    ".0BF300000000000",
    ".0B30EEEEEEEEEE0",
    ".0B0EEEEEEEEEE0.",
    ".0B0EEEEEEEEE0..",
    ".000EEEEEEEEE0..",
    ".00EEEEEEEEE0...",
    ".0000000000000..",
    "................",
    "................",
};

const char* const FLOPPYRows[] = {
    "................",
    ".00000000000000.",
    ".0FFFFFFFFFFFF70",
    ".0F7777777777780",
    ".0F7000000000780",
    ".0F7777777777780",
    ".0F777777777A780",
    ".0F7777777777780",
    ".078888888888880",
    ".00000000000000.",
    "................",
};

const char* const HARDRows[] = {
    "................",
    "................",
    ".00000000000000.",
    ".0FFFFFFFFFFFF70",
    ".0F7777777777780",
    ".0F8888888888780",
    ".0F777777777A780",
    ".0F7777777777780",
    ".078888888888880",
    ".00000000000000.",
    "................",
};

const char* const NETWORKRows[] = {
    ".00000000000000.",
    ".0FFFFFFFFFFFF70",
    ".0F777777777A780",
    ".078888888888880",
    ".00000000000000.",
    ".......00.......",
    ".......00.......",
    "..000000000000..",
    "..0..........0..",
    "..0..........0..",
    "................",
};

const char* const CDROMRows[] = {
    "................",
    ".00000000000000.",
    ".0FFFFFFFFFFFF70",
    ".0F77777FFF77780",
    ".0F7777F777F7780",
    ".0F777F77E77F780",
    ".0F7777F777F7780",
    ".0F77777FFF77780",
    ".078888888888880",
    ".00000000000000.",
    "................",
};

const char* const RAMRows[] = {
    "................",
    "..8.8.8.8.8.8...",
    ".22222222222222.",
    ".22002200220022.",
    ".22002200220022.",
    ".22002200220022.",
    ".22222222222222.",
    ".222222222222A2.",
    ".22222222222222.",
    "..8.8.8.8.8.8...",
    "................",
};

} // namespace

const uint32_t GlyphPalette[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
                                   0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

const TGlyph BrowseGlyphs[8] = {
    {"OPENFOLDER", 16, 15, OPENFOLDERRows}, {"CURRENTFOLDER", 16, 15, CURRENTFOLDERRows},
    {"CLOSEDFOLDER", 16, 15, CLOSEDFOLDERRows}, {"FLOPPY", 16, 11, FLOPPYRows},
    {"HARD", 16, 11, HARDRows}, {"NETWORK", 16, 11, NETWORKRows},
    {"CDROM", 16, 11, CDROMRows}, {"RAM", 16, 11, RAMRows},
};

const TGlyph& FolderGlyph(TFolderGlyph glyph)
{
    switch (glyph) {
    case fgOpenFolder:
        return BrowseGlyphs[0];
    case fgCurrentFolder:
        return BrowseGlyphs[1];
    default:
        return BrowseGlyphs[2];
    }
}

const TGlyph& DriveGlyph(TDriveGlyph glyph)
{
    return BrowseGlyphs[3 + (glyph <= dgRAM ? glyph : dgHard)];
}
