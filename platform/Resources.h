// Read access to a module's resources: the program's own, or a library's.
#pragma once

#include <memory>
#include <string>

#include "platform/Exception.h"
#include "platform/Stream.h"

// The library that should hold a resource could not be loaded.
DECLARE_EXCEPTION(ELibraryLoadError);

class TResourceProvider {
public:
    virtual ~TResourceProvider() = default;
    // A read-only stream over resource name of the given type, from the
    // program's own module (library empty) or from the named library, which
    // stays loaded while the stream lives. ELibraryLoadError when the library
    // cannot be loaded; EResNotFound when the resource is missing.
    virtual std::unique_ptr<TStream> OpenResource(const std::string& library, const std::string& type,
                                                  const std::string& name) = 0;
};

TResourceProvider& NativeResources();
