// Module resources through FindResourceW and LoadResource.
#include "platform/Resources.h"

#include <windows.h>

#include "platform/WideText.h"

namespace {

// A resource's bytes stay mapped as long as the module is loaded; a stream
// over a library's resource keeps the library loaded until it is freed.
class TResourceStream : public TReadOnlyMemoryStream {
public:
    TResourceStream(HMODULE library, const void* data, int64_t size)
        : TReadOnlyMemoryStream(data, size), FLibrary(library) {}
    ~TResourceStream() override
    {
        if (FLibrary != nullptr)
            FreeLibrary(FLibrary);
    }

private:
    HMODULE FLibrary;
};

class TWin32Resources : public TResourceProvider {
public:
    std::unique_ptr<TStream> OpenResource(const std::string& library, const std::string& type,
                                          const std::string& name) override
    {
        HMODULE loaded = nullptr;
        if (!library.empty()) {
            std::wstring path;
            loaded = WidePath(library, path) ? LoadLibraryW(path.c_str()) : nullptr;
            if (loaded == nullptr)
                throw ELibraryLoadError(library);
        }
        HMODULE module = loaded != nullptr ? loaded : GetModuleHandleW(nullptr);
        HRSRC info = FindResourceW(module, WideText(name).c_str(), WideText(type).c_str());
        HGLOBAL handle = info != nullptr ? LoadResource(module, info) : nullptr;
        const void* data = handle != nullptr ? LockResource(handle) : nullptr;
        if (data == nullptr) {
            if (loaded != nullptr)
                FreeLibrary(loaded);
            throw EResNotFound("Resource " + name + " not found");
        }
        return std::make_unique<TResourceStream>(loaded, data, SizeofResource(module, info));
    }
};

} // namespace

TResourceProvider& NativeResources()
{
    static TWin32Resources resources;
    return resources;
}
