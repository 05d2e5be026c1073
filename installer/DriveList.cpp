#include "installer/DriveList.h"

#include "platform/DriveSource.h"

namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

TDriveItem MakeDriveItem(TDriveSource& source, char drive)
{
    TDriveItem item;
    item.Drive = Lower(drive);
    item.Text = std::string(1, item.Drive) + ":";
    std::string text;
    const TDriveType type = source.DriveType(drive);
    switch (type) {
    case dtRemovable:
        item.Glyph = dgFloppy;
        break;
    case dtFixed:
    case dtCDROM:
    case dtRAMDisk:
        item.Glyph = type == dtFixed ? dgHard : type == dtCDROM ? dgCDROM : dgRAM;
        if (source.VolumeLabel(drive, text))
            item.Text += " [" + text + "]";
        break;
    case dtRemote:
        item.Glyph = dgNetwork;
        if (source.RemoteName(drive, text) && !text.empty())
            item.Text += " " + text;
        break;
    default:
        item.Glyph = dgHard;
        break;
    }
    return item;
}

TDriveList::TDriveList(TDriveSource& source)
{
    const uint32_t drives = source.LogicalDrives();
    for (int i = 0; i < 26; ++i)
        if (drives & (1u << i))
            FItems.push_back(MakeDriveItem(source, static_cast<char>('a' + i)));
    const std::string current = source.CurrentDirectory();
    if (current.size() >= 2 && current[1] == ':')
        SetDrive(current[0]);
}

int TDriveList::ItemIndex() const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].Drive == FDrive)
            return static_cast<int>(i);
    return -1;
}

void TDriveList::SetDrive(char drive)
{
    drive = Lower(drive);
    if (drive == FDrive)
        return;
    bool listed = drive == 0;
    for (const TDriveItem& item : FItems)
        listed = listed || item.Drive == drive;
    if (!listed)
        return;
    FDrive = drive;
    if (OnChange)
        OnChange();
}

void TDriveList::Choose(int index)
{
    if (index < 0 || index >= static_cast<int>(FItems.size()))
        return;
    if (OnClick)
        OnClick();
    SetDrive(FItems[static_cast<size_t>(index)].Drive);
}
