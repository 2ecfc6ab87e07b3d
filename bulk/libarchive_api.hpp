// libarchive, loaded when the first archive is read instead of linked: the
// command keeps no tie to it, nor to the libraries it brings in (libxml2
// among them), wherever no archive is read, and the self-contained wheel's
// command runs without it. Its headers are still those the build found.
#pragma once

#include <archive.h>
#include <archive_entry.h>

namespace quillmark::bulk {

struct LibArchive {
    decltype(&::archive_read_new) read_new;
    decltype(&::archive_read_free) read_free;
    decltype(&::archive_read_support_format_zip) support_format_zip;
    decltype(&::archive_read_support_format_tar) support_format_tar;
    decltype(&::archive_read_open_filename) open_filename;
    decltype(&::archive_read_open) open_callbacks;
    decltype(&::archive_read_next_header) next_header;
    decltype(&::archive_read_data_block) data_block;
    decltype(&::archive_error_string) error_string;
    decltype(&::archive_filter_bytes) filter_bytes;
    decltype(&::archive_entry_filetype) entry_filetype;
    decltype(&::archive_entry_hardlink) entry_hardlink;
    decltype(&::archive_entry_pathname) entry_pathname;
    decltype(&::archive_entry_pathname_utf8) entry_pathname_utf8;
    decltype(&::archive_entry_size) entry_size;
    decltype(&::archive_entry_size_is_set) entry_size_is_set;
};

// The functions, loaded once; nullptr when the system has no libarchive.
const LibArchive* libarchive();

}  // namespace quillmark::bulk
