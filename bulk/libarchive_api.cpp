#include "bulk/libarchive_api.hpp"

#include <optional>

#include "bulk/dynamic_library.hpp"

namespace quillmark::bulk {

namespace {

std::optional<LibArchive> load_libarchive() {
    void* library = open_library({"libarchive.so.13", "libarchive.so"});
    if (!library) return std::nullopt;
    LibArchive api{};
    const bool complete =
        load(library, "archive_read_new", api.read_new) && load(library, "archive_read_free", api.read_free) &&
        load(library, "archive_read_support_format_zip", api.support_format_zip) &&
        load(library, "archive_read_support_format_tar", api.support_format_tar) &&
        load(library, "archive_read_open_filename", api.open_filename) &&
        load(library, "archive_read_open", api.open_callbacks) &&
        load(library, "archive_read_next_header", api.next_header) &&
        load(library, "archive_read_data_block", api.data_block) &&
        load(library, "archive_error_string", api.error_string) &&
        load(library, "archive_filter_bytes", api.filter_bytes) &&
        load(library, "archive_entry_filetype", api.entry_filetype) &&
        load(library, "archive_entry_hardlink", api.entry_hardlink) &&
        load(library, "archive_entry_pathname", api.entry_pathname) &&
        load(library, "archive_entry_pathname_utf8", api.entry_pathname_utf8) &&
        load(library, "archive_entry_size", api.entry_size) &&
        load(library, "archive_entry_size_is_set", api.entry_size_is_set);
    if (!complete) return std::nullopt;  // the library stays loaded: the process ends soon enough
    return api;
}

}  // namespace

const LibArchive* libarchive() {
    static const std::optional<LibArchive> api = load_libarchive();
    return api ? &*api : nullptr;
}

}  // namespace quillmark::bulk
