// zlib, loaded when the first gzip stream is read instead of linked, the way
// libarchive is (libarchive_api.hpp): the command keeps no tie to it where
// nothing compressed is read. libarchive needs it too, so a system with one
// has both. Its headers are still those the build found.
#pragma once

#include <zlib.h>

namespace quillmark::bulk {

struct Zlib {
    decltype(&::inflateInit2_) inflate_init;
    decltype(&::inflate) inflate;
    decltype(&::inflateReset) inflate_reset;
    decltype(&::inflateEnd) inflate_end;
};

// The functions, loaded once; nullptr when the system has no zlib.
const Zlib* zlib();

}  // namespace quillmark::bulk
