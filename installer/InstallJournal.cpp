#include "installer/InstallJournal.h"

#include "installer/PathCompare.h"
#include "platform/FileSystem.h"

namespace {

bool SameName(const std::string& a, const std::string& b)
{
    return SamePath(a, b); // value names and key paths compare as paths do: case ignored
}

// A file the run wrote may carry the archive's read-only, hidden or system
// bits, with which the system refuses to delete or replace it.
void MakeWritable(TFileSystem& files, const std::string& path)
{
    const int32_t attributes = files.GetAttributes(path);
    const int32_t locking = faReadOnly | faHidden | faSysFile;
    if (attributes >= 0 && (attributes & faDirectory) == 0 && (attributes & locking) != 0)
        files.SetAttributes(path, attributes & ~locking);
}

} // namespace

std::string RootKeyName(TRootKey root)
{
    switch (root) {
    case rkClassesRoot: return "HKEY_CLASSES_ROOT";
    case rkCurrentUser: return "HKEY_CURRENT_USER";
    case rkLocalMachine: return "HKEY_LOCAL_MACHINE";
    }
    return "";
}

void TInstallJournal::Clear()
{
    FActions.clear();
}

void TInstallJournal::NoteCreated(const std::string& path)
{
    FActions.push_back({akCreated, path, ""});
}

void TInstallJournal::NoteMoved(const std::string& from, const std::string& to)
{
    FActions.push_back({akMoved, from, to});
}

void TInstallJournal::NoteSetAside(const std::string& path, const std::string& to)
{
    FActions.push_back({akSetAside, path, to});
}

void TInstallJournal::NoteKept(const std::string& path, const std::string& copy)
{
    FActions.push_back({akKept, path, copy});
}

void TInstallJournal::NoteDirectory(const std::string& path)
{
    FActions.push_back({akDirectory, path, ""});
}

void TInstallJournal::NoteAttributes(const std::string& path, int32_t attributes)
{
    TAction action{akAttributes, path, ""};
    action.Attributes = attributes;
    FActions.push_back(action);
}

void TInstallJournal::KeepRegistryKey(TRegistry& registry, TRootKey root, const std::string& path)
{
    for (const TAction& a : FActions)
        if (a.Kind == akRegistryKey && a.Root == root && SameName(a.Path, path))
            return;
    TAction action{akRegistryKey, path, ""};
    action.Root = root;
    registry.SetRootKey(root);
    action.Existed = registry.OpenKeyReadOnly("\\" + path);
    if (action.Existed && !registry.ReadValues(action.Values)) {
        registry.CloseKey();
        throw ERegistryException("Cannot read the registry key " + RootKeyName(root) + "\\" + path);
    }
    registry.CloseKey();
    FActions.push_back(action);
}

std::string TInstallJournal::FreeNameBeside(const std::string& path)
{
    for (int n = 0;; ++n) {
        const std::string name = path + ".undo" + (n == 0 ? "" : std::to_string(n));
        if (!FFiles.FileExists(name) && !FFiles.IsDirectory(name))
            return name;
    }
}

std::vector<std::string> TInstallJournal::Undo(TRegistry& registry)
{
    std::vector<std::string> left;
    for (auto it = FActions.rbegin(); it != FActions.rend(); ++it) {
        if (UndoAction(*it, registry))
            continue;
        switch (it->Kind) {
        case akCreated: left.push_back(it->Path + " (it could not be removed)"); break;
        case akMoved:
        case akSetAside:
        case akKept: left.push_back(it->Path + " (it is now " + it->Other + ")"); break;
        case akRegistryKey: left.push_back(RootKeyName(it->Root) + "\\" + it->Path); break;
        default: break;
        }
    }
    FActions.clear();
    return left;
}

bool TInstallJournal::UndoAction(const TAction& action, TRegistry& registry)
{
    switch (action.Kind) {
    case akCreated:
        // Gone already when a later step of the run took it away again.
        MakeWritable(FFiles, action.Path);
        return FFiles.RemoveFile(action.Path) || !FFiles.FileExists(action.Path);
    case akMoved:
    case akSetAside:
    case akKept:
        MakeWritable(FFiles, action.Path);
        return FFiles.MoveFileReplacing(action.Other, action.Path);
    case akDirectory:
        // One still holding a file that could not be removed is named with that file.
        FFiles.RemoveEmptyDirectory(action.Path);
        return true;
    case akAttributes:
        return FFiles.SetAttributes(action.Path, action.Attributes);
    case akRegistryKey:
        return RestoreKey(action, registry);
    }
    return true;
}

bool TInstallJournal::RestoreKey(const TAction& action, TRegistry& registry)
{
    registry.SetRootKey(action.Root);
    const std::string key = "\\" + action.Path;
    if (!action.Existed) {
        if (!registry.OpenKeyReadOnly(key))
            return true; // never made
        registry.CloseKey();
        return registry.DeleteKey(key);
    }
    // Unchanged (a write that was refused): nothing to put back, and perhaps no right to.
    std::vector<TRegValueData> now;
    if (registry.OpenKeyReadOnly(key) && registry.ReadValues(now) && now == action.Values) {
        registry.CloseKey();
        return true;
    }
    if (!registry.OpenKey(key, false))
        return false;
    bool restored = registry.ReadValues(now);
    for (const TRegValueData& value : now) {
        bool before = false;
        for (const TRegValueData& old : action.Values)
            before = before || SameName(old.Name, value.Name);
        if (!before)
            restored = registry.DeleteValue(value.Name) && restored;
    }
    for (const TRegValueData& old : action.Values) {
        bool same = false;
        for (const TRegValueData& value : now)
            same = same || value == old;
        if (!same)
            restored = registry.WriteValueData(old) && restored;
    }
    registry.CloseKey();
    return restored;
}

void TInstallJournal::Commit()
{
    for (const TAction& action : FActions)
        if (action.Kind == akSetAside || action.Kind == akKept) {
            MakeWritable(FFiles, action.Other);
            FFiles.RemoveFile(action.Other);
        }
    FActions.clear();
}
