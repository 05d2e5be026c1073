// Shell links through the shell link object: IShellLinkA for the fields, in
// a fixed order, and IPersistFile to write the file.
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

class TWin32ShellLinks : public TShellLinks {
public:
    void SaveLink(const TShellLinkInfo& link) override
    {
        TComRef<IUnknown> object;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                    IID_IUnknown, reinterpret_cast<void**>(&object.Ptr))))
            throw EShellLinkError("Cannot create the shell link object");
        TComRef<IShellLinkA> shellLink;
        TComRef<IPersistFile> file;
        if (FAILED(object.Ptr->QueryInterface(IID_IShellLinkA, reinterpret_cast<void**>(&shellLink.Ptr))) ||
            FAILED(object.Ptr->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.Ptr))))
            throw EShellLinkError("The shell link object lacks an interface");

        // The outcome of each call is not what decides the run: a link that
        // cannot be written is simply missing afterwards.
        shellLink.Ptr->SetPath(link.Target.c_str());
        shellLink.Ptr->SetArguments(link.Arguments.c_str());
        shellLink.Ptr->SetWorkingDirectory(link.WorkingDir.c_str());
        shellLink.Ptr->SetShowCmd(link.ShowCmd);
        shellLink.Ptr->SetDescription(link.Description.c_str());
        shellLink.Ptr->SetIconLocation(link.IconFile.c_str(), link.IconIndex);

        const int length = MultiByteToWideChar(CP_ACP, 0, link.LinkFile.c_str(), -1, nullptr, 0);
        std::vector<wchar_t> wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
        if (length > 0)
            MultiByteToWideChar(CP_ACP, 0, link.LinkFile.c_str(), -1, wide.data(), length);
        file.Ptr->Save(wide.data(), FALSE);
    }
};

} // namespace

TShellLinks& NativeShellLinks()
{
    static TWin32ShellLinks links;
    return links;
}
