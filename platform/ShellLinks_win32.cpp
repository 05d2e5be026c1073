// Shell links through the shell link object: IShellLinkA for the fields, in
// a fixed order, and IPersistFile to write the file or read it back.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "platform/NativeServices.h"
#include "platform/ShellLinks.h"

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

std::vector<wchar_t> WidePath(const std::string& path)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
    return wide;
}

// The shell link object's two interfaces.
void MakeLinkObject(TComRef<IShellLinkA>& shellLink, TComRef<IPersistFile>& file)
{
    TComRef<IUnknown> object;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&object.Ptr))))
        throw EShellLinkError("Cannot create the shell link object");
    if (FAILED(object.Ptr->QueryInterface(IID_IShellLinkA, reinterpret_cast<void**>(&shellLink.Ptr))) ||
        FAILED(object.Ptr->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.Ptr))))
        throw EShellLinkError("The shell link object lacks an interface");
}

class TWin32ShellLinks : public TShellLinks {
public:
    void SaveLink(const TShellLinkInfo& link) override
    {
        TComRef<IShellLinkA> shellLink;
        TComRef<IPersistFile> file;
        MakeLinkObject(shellLink, file);

        // The outcome of each call is not what decides the run: a link that
        // cannot be written is simply missing afterwards.
        shellLink.Ptr->SetPath(link.Target.c_str());
        shellLink.Ptr->SetArguments(link.Arguments.c_str());
        shellLink.Ptr->SetWorkingDirectory(link.WorkingDir.c_str());
        shellLink.Ptr->SetShowCmd(link.ShowCmd);
        shellLink.Ptr->SetDescription(link.Description.c_str());
        shellLink.Ptr->SetIconLocation(link.IconFile.c_str(), link.IconIndex);

        file.Ptr->Save(WidePath(link.LinkFile).data(), FALSE);
    }

    bool LoadLink(const std::string& linkFile, TShellLinkInfo& link) override
    {
        TComRef<IShellLinkA> shellLink;
        TComRef<IPersistFile> file;
        MakeLinkObject(shellLink, file);
        if (FAILED(file.Ptr->Load(WidePath(linkFile).data(), STGM_READ)))
            return false;
        // The stored path as it is, not resolved: what the link was made with.
        char text[MAX_PATH * 2] = {};
        if (shellLink.Ptr->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH) != S_OK)
            return false;
        link = TShellLinkInfo();
        link.LinkFile = linkFile;
        link.Target = text;
        text[0] = '\0';
        if (SUCCEEDED(shellLink.Ptr->GetArguments(text, sizeof text)))
            link.Arguments = text;
        return true;
    }
};

} // namespace

TShellLinks& NativeShellLinks()
{
    static TWin32ShellLinks links;
    return links;
}
