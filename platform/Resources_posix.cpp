// POSIX programs carry no module resources: every lookup fails as missing.
#include "platform/Resources.h"

namespace {

class TPosixResources : public TResourceProvider {
public:
    std::unique_ptr<TStream> OpenResource(const std::string& library, const std::string&,
                                          const std::string& name) override
    {
        if (!library.empty())
            throw ELibraryLoadError(library);
        throw EResNotFound("Resource " + name + " not found");
    }
};

} // namespace

TResourceProvider& NativeResources()
{
    static TPosixResources resources;
    return resources;
}
