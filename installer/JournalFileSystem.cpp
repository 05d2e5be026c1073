#include "installer/JournalFileSystem.h"

#include <vector>

#include "platform/Exception.h"

void TJournalFileSystem::WillWrite(const std::string& path)
{
    if (Own(path))
        return;
    if (FInner.FileExists(path))
        Keep(path);
    else
        FJournal.NoteCreated(path);
    FOwn.insert(path);
}

std::unique_ptr<TFileStream> TJournalFileSystem::CreateAlways(const std::string& path)
{
    WillWrite(path);
    return FInner.CreateAlways(path);
}

void TJournalFileSystem::Keep(const std::string& path)
{
    const std::string copy = FJournal.FreeNameBeside(path);
    std::unique_ptr<TFileStream> source;
    try {
        source = FInner.OpenRead(path);
    } catch (const EFOpenError&) {
        // Held by a program that lets nobody read it: it cannot be replaced either.
        throw EFCreateError("Cannot create file \"" + path + "\"");
    }
    {
        std::unique_ptr<TFileStream> target = FInner.CreateAlways(copy);
        FJournal.NoteCreated(copy);
        std::vector<uint8_t> buffer(65536);
        for (int32_t n; (n = source->Read(buffer.data(), static_cast<int32_t>(buffer.size()))) > 0;)
            if (target->Write(buffer.data(), n) != n)
                throw EWriteError(CannotWriteMessage(copy, "the copy is incomplete"));
        target->SetDosDateTime(FInner.GetDosDateTime(path));
    }
    // The copy comes back in place of the file: it must be the same to the last bit.
    const int32_t attributes = FInner.GetAttributes(path);
    if (FInner.GetDosDateTime(copy) != FInner.GetDosDateTime(path) || !FInner.SetAttributes(copy, attributes))
        throw EInOutError("Cannot keep a copy of \"" + path + "\" in \"" + copy + "\"");
    FJournal.NoteKept(path, copy);
}

void TJournalFileSystem::SetAside(const std::string& to)
{
    if (Own(to) || !FInner.FileExists(to))
        return;
    const std::string aside = FJournal.FreeNameBeside(to);
    FInner.MoveFileChecked(to, aside);
    FJournal.NoteSetAside(to, aside);
}

void TJournalFileSystem::MakeDirectory(const std::string& path)
{
    const bool existed = FInner.IsDirectory(path);
    FInner.MakeDirectory(path);
    if (!existed)
        FJournal.NoteDirectory(path);
}

bool TJournalFileSystem::RemoveFile(const std::string& path)
{
    if (Own(path))
        return FInner.RemoveFile(path);
    try {
        SetAside(path);
    } catch (const EInOutError&) {
        return false;
    }
    return !FInner.FileExists(path);
}

bool TJournalFileSystem::MoveFileReplacing(const std::string& from, const std::string& to)
{
    try {
        MoveFileChecked(from, to);
    } catch (const EInOutError&) {
        return false;
    }
    return true;
}

void TJournalFileSystem::MoveFileChecked(const std::string& from, const std::string& to)
{
    SetAside(to);
    FInner.MoveFileChecked(from, to);
    FJournal.NoteMoved(from, to);
    if (Own(from)) {
        FOwn.erase(from);
        FOwn.insert(to);
    }
}

bool TJournalFileSystem::SetAttributes(const std::string& path, int32_t attributes)
{
    if (!Own(path) && FInner.FileExists(path))
        FJournal.NoteAttributes(path, FInner.GetAttributes(path));
    return FInner.SetAttributes(path, attributes);
}
