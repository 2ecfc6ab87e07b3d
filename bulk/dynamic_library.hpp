// Looking up the functions of a library loaded at run time.
#pragma once

#include <initializer_list>

#include <dlfcn.h>

namespace quillmark::bulk {

// Opens the first of the names the system has; nullptr when it has none.
// The library stays loaded: the process ends soon enough.
inline void* open_library(std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (void* library = dlopen(name, RTLD_NOW | RTLD_LOCAL)) return library;
    return nullptr;
}

template <class Function>
bool load(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

}  // namespace quillmark::bulk
