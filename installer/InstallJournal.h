// What an install run changed, in order, so that a run that fails or is
// cancelled can put the machine back as it found it: files it created,
// files it moved (into Backup, or aside to make room), copies of files it
// overwrote, directories it made, attributes it changed and the registry
// keys it wrote to. A run that completes commits it: the copies kept for
// the undo go, everything else stays as the run left it.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/Registry.h"

class TFileSystem;

class TInstallJournal {
public:
    // files is where the undo acts: the file system below any journaling layer.
    explicit TInstallJournal(TFileSystem& files) : FFiles(files) {}

    // Forgets everything: a new run starts.
    void Clear();
    // Whether the run changed anything on the disk or in the registry.
    bool Empty() const { return FActions.empty(); }

    // path did not exist before: the undo removes it.
    void NoteCreated(const std::string& path);
    // A file of the run's was moved from one place to another: the undo moves it back.
    void NoteMoved(const std::string& from, const std::string& to);
    // path was moved to a name of its own (to) to make room: the undo moves it back, a commit removes it.
    void NoteSetAside(const std::string& path, const std::string& to);
    // copy holds what path held before the run overwrote it: the undo puts it back, a commit removes it.
    void NoteKept(const std::string& path, const std::string& copy);
    // A directory the run made: the undo removes it when it is empty.
    void NoteDirectory(const std::string& path);
    // A file that existed had these attributes before the run changed them.
    void NoteAttributes(const std::string& path, int32_t attributes);
    // Records the key (from root) with all its values, once per run, before
    // the run writes to it: the undo gives it back exactly, or removes it
    // when it did not exist. Leaves registry with its root and no key open.
    void KeepRegistryKey(TRegistry& registry, TRootKey root, const std::string& path);

    // Puts everything back, newest change first, and forgets it. Returns
    // what could not be put back, each naming the thing and where it is.
    std::vector<std::string> Undo(TRegistry& registry);
    // The run is complete: removes the copies and the files set aside, and forgets.
    void Commit();

    // A name beside path that is free, for a copy or a file set aside.
    std::string FreeNameBeside(const std::string& path);

private:
    enum TActionKind { akCreated, akMoved, akSetAside, akKept, akDirectory, akAttributes, akRegistryKey };
    struct TAction {
        TActionKind Kind;
        std::string Path;  // the file, directory or key
        std::string Other; // where it was moved to, or its copy
        int32_t Attributes = 0;
        TRootKey Root = rkLocalMachine;
        bool Existed = false;                // the key
        std::vector<TRegValueData> Values;   // the key's values
    };

    bool UndoAction(const TAction& action, TRegistry& registry);
    bool RestoreKey(const TAction& action, TRegistry& registry);

    TFileSystem& FFiles;
    std::vector<TAction> FActions;
};

// The name of a root key as the registry editor shows it.
std::string RootKeyName(TRootKey root);
