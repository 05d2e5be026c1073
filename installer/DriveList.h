// The drive list of the browse dialog: one item per logical drive, A to Z,
// with the volume label or the network connection where it is cheap to ask.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TDriveSource;

enum TDriveGlyph : uint8_t { dgFloppy, dgHard, dgNetwork, dgCDROM, dgRAM };

struct TDriveItem {
    char Drive = 0;   // lower-case letter
    std::string Text; // "c: [LABEL]", "x: \\server\share", "a:"
    TDriveGlyph Glyph = dgHard;
};

class TDriveList {
public:
    // Builds the items and starts at the drive of the process's current
    // directory; source stays the caller's.
    explicit TDriveList(TDriveSource& source);
    TDriveList(const TDriveList&) = delete;
    TDriveList& operator=(const TDriveList&) = delete;

    const std::vector<TDriveItem>& Items() const { return FItems; }
    // The current drive, a lower-case letter; 0 when none is selected.
    char Drive() const { return FDrive; }
    // The current drive's item; -1 when none is selected.
    int ItemIndex() const;
    // Makes drive current (0 selects none); OnChange when it differs. A
    // letter that is not in the list changes nothing.
    void SetDrive(char drive);
    // The user picks an item: OnClick with the old drive still current, then,
    // if the drive differs, it becomes current and OnChange follows.
    void Choose(int index);

    std::function<void()> OnClick;
    std::function<void()> OnChange;

private:
    std::vector<TDriveItem> FItems;
    char FDrive = 0;
};

// The item for one drive. Removable drives and drives of unknown kind are not
// accessed: a floppy drive without a disk would spin up or fail.
TDriveItem MakeDriveItem(TDriveSource& source, char drive);
