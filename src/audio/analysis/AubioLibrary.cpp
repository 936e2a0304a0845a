#include "audio/analysis/AubioLibrary.h"

#include <dlfcn.h>

#include <string>

namespace lumivox {

namespace {

struct TLoaded {
    TAubioLibrary Functions;
    bool Complete = false;
    std::string Error;

    TLoaded() {
        // Local: its hundred dependencies stay out of the lookups of everything else.
        void* handle = dlopen(LUMIVOX_AUBIO_SONAME, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            const char* why = dlerror();
            Error = why != nullptr ? why : LUMIVOX_AUBIO_SONAME;
            return;
        }
        bool all = true;
#define LUMIVOX_AUBIO_LOOKUP(name)                                                                 \
    Functions.name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name));                    \
    if (Functions.name == nullptr && all) {                                                        \
        all = false;                                                                               \
        Error = std::string(LUMIVOX_AUBIO_SONAME) + " lacks " #name;                               \
    }
        LUMIVOX_AUBIO_FUNCTIONS(LUMIVOX_AUBIO_LOOKUP)
#undef LUMIVOX_AUBIO_LOOKUP
        // Never unloaded: FFTW, under aubio, keeps plans and wisdom for the process.
        Complete = all;
    }
};

const TLoaded& Loaded() {
    static const TLoaded loaded;
    return loaded;
}

} // namespace

const TAubioLibrary* AubioLibrary() {
    const TLoaded& loaded = Loaded();
    return loaded.Complete ? &loaded.Functions : nullptr;
}

const char* AubioLoadError() {
    return Loaded().Error.c_str();
}

} // namespace lumivox
