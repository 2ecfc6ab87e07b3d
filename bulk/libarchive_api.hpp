// libarchive, loaded when the first archive is read instead of linked: the
// command and the module keep no tie to it, nor to the libraries it brings
// in (libxml2 among them), wherever no archive is read, and the
// self-contained wheel runs without it. The few types, constants and
// functions used are declared here from libarchive's documented interface
// (archive_read(3), archive_entry(3)), so building needs no libarchive
// headers either.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace quillmark::bulk {

// Opaque to its users: only pointers to them are passed.
struct archive;
struct archive_entry;

using la_int64_t = std::int64_t;
using la_ssize_t = ssize_t;

// Return codes of the reading functions.
inline constexpr int ARCHIVE_EOF = 1;
inline constexpr int ARCHIVE_OK = 0;
inline constexpr int ARCHIVE_WARN = -20;
inline constexpr int ARCHIVE_FATAL = -30;
// The file type of a regular file, as archive_entry_filetype() gives it.
inline constexpr mode_t AE_IFREG = 0100000;

using archive_open_callback = int(archive*, void* client_data);
using archive_read_callback = la_ssize_t(archive*, void* client_data, const void** buffer);
using archive_close_callback = int(archive*, void* client_data);

struct LibArchive {
    archive* (*read_new)();
    int (*read_free)(archive*);
    int (*support_format_zip)(archive*);
    int (*support_format_tar)(archive*);
    int (*open_filename)(archive*, const char* filename, std::size_t block_size);
    int (*open_callbacks)(archive*, void* client_data, archive_open_callback*, archive_read_callback*,
                          archive_close_callback*);
    int (*next_header)(archive*, archive_entry**);
    int (*data_block)(archive*, const void** block, std::size_t* size, la_int64_t* offset);
    const char* (*error_string)(archive*);
    la_int64_t (*filter_bytes)(archive*, int filter);
    mode_t (*entry_filetype)(archive_entry*);
    const char* (*entry_hardlink)(archive_entry*);
    const char* (*entry_pathname)(archive_entry*);
    const char* (*entry_pathname_utf8)(archive_entry*);
    la_int64_t (*entry_size)(archive_entry*);
    int (*entry_size_is_set)(archive_entry*);
};

// The functions, loaded once; nullptr when the system has no libarchive.
const LibArchive* libarchive();

}  // namespace quillmark::bulk
