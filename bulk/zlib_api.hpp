// zlib, loaded when the first gzip stream is read instead of linked, the way
// libarchive is (libarchive_api.hpp): nothing ties to it where nothing
// compressed is read. libarchive needs it too, so a system with one has
// both. The stream and the four functions used are declared here from zlib's
// documented interface (zlib.h of zlib 1.2 and later, whose z_stream layout
// inflateInit2_ checks by its size), so building needs no zlib headers.
#pragma once

namespace quillmark::bulk {

struct z_stream {
    const unsigned char* next_in;
    unsigned int avail_in;
    unsigned long total_in;
    unsigned char* next_out;
    unsigned int avail_out;
    unsigned long total_out;
    const char* msg;
    void* state;
    void* (*zalloc)(void*, unsigned int, unsigned int);
    void (*zfree)(void*, void*);
    void* opaque;
    int data_type;
    unsigned long adler;
    unsigned long reserved;
};

// The version asked for: zlib accepts any of its own major version 1.
inline constexpr char zlib_version[] = "1.2.11";

inline constexpr int Z_NO_FLUSH = 0;
inline constexpr int Z_OK = 0;
inline constexpr int Z_STREAM_END = 1;
inline constexpr int Z_DATA_ERROR = -3;
inline constexpr int Z_MEM_ERROR = -4;
inline constexpr int Z_BUF_ERROR = -5;

struct Zlib {
    int (*inflate_init)(z_stream*, int window_bits, const char* version, int stream_size);
    int (*inflate)(z_stream*, int flush);
    int (*inflate_reset)(z_stream*);
    int (*inflate_end)(z_stream*);
};

// The functions, loaded once; nullptr when the system has no zlib.
const Zlib* zlib();

}  // namespace quillmark::bulk
