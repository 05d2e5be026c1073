// The directory list of the browse dialog: a current directory, shown as the
// drive root and every level down to it, then its subdirectories, sorted.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TDriveSource;

enum TFolderGlyph : uint8_t { fgOpenFolder, fgCurrentFolder, fgClosedFolder };

struct TDirectoryItem {
    std::string Text; // the root as "C:\", every other level by its name
    std::string Path; // the directory the item stands for
    int Level = 0;    // indent steps below the root
    TFolderGlyph Glyph = fgClosedFolder;
};

class TDirectoryList {
public:
    // Starts in the process's current directory; source stays the caller's.
    explicit TDirectoryList(TDriveSource& source);
    TDirectoryList(const TDirectoryList&) = delete;
    TDirectoryList& operator=(const TDirectoryList&) = delete;

    // Full path, no trailing "\" except at a drive root.
    const std::string& Directory() const { return FDirectory; }
    // The upper-case drive letter of Directory; 0 for a path without one.
    char Drive() const;
    // Moves to directory unless it is the same text as Directory (case ignored);
    // a move raises OnChange.
    void SetDirectory(const std::string& directory);
    // Moves to the current directory of another drive, raising OnChange.
    void SetDrive(char drive);
    // A double click or Enter on an item: it becomes the current directory.
    void Open(int index);

    const std::vector<TDirectoryItem>& Items() const { return FItems; }
    // The item of the current directory.
    int ItemIndex() const { return FItemIndex; }

    std::function<void()> OnChange;

private:
    void MoveTo(const std::string& directory);

    TDriveSource& FSource;
    std::string FDirectory;
    std::vector<TDirectoryItem> FItems;
    int FItemIndex = -1;
};

// directory without trailing "\" (a drive root keeps its one), drive letter upper-cased.
std::string NormalDirectory(std::string directory);
