// Shell links through the shell link object: IShellLinkW for the fields (UTF-8
// here, UTF-16 there), in a fixed order, and IPersistFile to write the file or
// read it back.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "platform/NativeServices.h"
#include "platform/ShellLinks.h"
#include "platform/WideText.h"

namespace {

// Releases a COM interface however the function leaves.
template <class T>
struct TComRef {
    T* Ptr = nullptr;
    ~TComRef()
    {
        if (Ptr != nullptr)
            Ptr->Release();
    }
};

// The shell link object's two interfaces.
void MakeLinkObject(TComRef<IShellLinkW>& shellLink, TComRef<IPersistFile>& file)
{
    TComRef<IUnknown> object;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&object.Ptr))))
        throw EShellLinkError("Cannot create the shell link object");
    if (FAILED(object.Ptr->QueryInterface(IID_IShellLinkW, reinterpret_cast<void**>(&shellLink.Ptr))) ||
        FAILED(object.Ptr->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.Ptr))))
        throw EShellLinkError("The shell link object lacks an interface");
}

// The target as the link's item list names it, "" when it names no file-system path.
std::wstring ItemListPath(IShellLinkW& shellLink)
{
    LPITEMIDLIST items = nullptr;
    wchar_t path[MAX_PATH] = {};
    if (shellLink.GetIDList(&items) == S_OK && items != nullptr && !SHGetPathFromIDListW(items, path))
        path[0] = L'\0';
    CoTaskMemFree(items);
    return path;
}

class TWin32ShellLinks : public TShellLinks {
public:
    void SaveLink(const TShellLinkInfo& link) override
    {
        TComRef<IShellLinkW> shellLink;
        TComRef<IPersistFile> file;
        MakeLinkObject(shellLink, file);

        // A field that is no UTF-8 would lead elsewhere: such a link is not saved.
        std::wstring linkFile, target, arguments, workingDir, iconFile;
        if (!WidePath(link.LinkFile, linkFile) || !WidePath(link.Target, target) ||
            !WidePath(link.Arguments, arguments) || !WidePath(link.WorkingDir, workingDir) ||
            !WidePath(link.IconFile, iconFile))
            throw ELinkNotSaved("Cannot save \"" + link.LinkFile + "\"");
        // What decides whether the link exists is the save: a field the object
        // refuses shows in what it writes, not here.
        shellLink.Ptr->SetPath(target.c_str());
        shellLink.Ptr->SetArguments(arguments.c_str());
        shellLink.Ptr->SetWorkingDirectory(workingDir.c_str());
        shellLink.Ptr->SetShowCmd(link.ShowCmd);
        shellLink.Ptr->SetDescription(WideText(link.Description).c_str());
        shellLink.Ptr->SetIconLocation(iconFile.c_str(), link.IconIndex);

        if (FAILED(file.Ptr->Save(linkFile.c_str(), FALSE)))
            throw ELinkNotSaved("Cannot save \"" + link.LinkFile + "\"");
    }

    bool LoadLink(const std::string& linkFile, TShellLinkInfo& link) override
    {
        TComRef<IShellLinkW> shellLink;
        TComRef<IPersistFile> file;
        MakeLinkObject(shellLink, file);
        std::wstring wide;
        if (!WidePath(linkFile, wide) || FAILED(file.Ptr->Load(wide.c_str(), STGM_READ)))
            return false;
        // The stored path as it is, not resolved: what the link was made with.
        wchar_t text[MAX_PATH * 2] = {};
        if (shellLink.Ptr->GetPath(text, MAX_PATH * 2, nullptr, SLGP_RAWPATH) != S_OK)
            return false;
        // A system may keep the raw path only in its ANSI spelling (a name
        // outside the code page comes back as another name); the item list
        // holds the names in UTF-16. Where the two agree the raw path stands.
        const std::wstring listed = ItemListPath(*shellLink.Ptr);
        link = TShellLinkInfo();
        link.LinkFile = linkFile;
        link.Target = Utf8Text(listed.empty() || SameWideText(listed, text) ? std::wstring_view(text) : listed);
        text[0] = L'\0';
        if (SUCCEEDED(shellLink.Ptr->GetArguments(text, MAX_PATH * 2)))
            link.Arguments = Utf8Text(text);
        return true;
    }
};

} // namespace

TShellLinks& NativeShellLinks()
{
    static TWin32ShellLinks links;
    return links;
}
