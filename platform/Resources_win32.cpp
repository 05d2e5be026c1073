// Module resources through FindResourceA and LoadResource.
#include "platform/Resources.h"

#include <windows.h>

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
            loaded = LoadLibraryA(library.c_str());
            if (loaded == nullptr)
                throw ELibraryLoadError(library);
        }
        HMODULE module = loaded != nullptr ? loaded : GetModuleHandleA(nullptr);
        HRSRC info = FindResourceA(module, name.c_str(), type.c_str());
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
