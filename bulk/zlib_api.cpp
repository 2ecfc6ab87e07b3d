#include "bulk/zlib_api.hpp"

#include <optional>

#include "bulk/dynamic_library.hpp"

namespace quillmark::bulk {

namespace {

std::optional<Zlib> load_zlib() {
    void* library = open_library({"libz.so.1", "libz.so"});
    if (!library) return std::nullopt;
    Zlib api{};
    const bool complete = load(library, "inflateInit2_", api.inflate_init) && load(library, "inflate", api.inflate) &&
                          load(library, "inflateReset", api.inflate_reset) &&
                          load(library, "inflateEnd", api.inflate_end);
    if (!complete) return std::nullopt;
    return api;
}

}  // namespace

const Zlib* zlib() {
    static const std::optional<Zlib> api = load_zlib();
    return api ? &*api : nullptr;
}

}  // namespace quillmark::bulk
