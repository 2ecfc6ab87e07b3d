// What a file name says about a file: USPTO full text, or an archive of it.
#pragma once

#include <optional>
#include <string_view>

namespace quillmark::bulk {

enum class ArchiveKind { Zip, Tar, Gzip };

// A name ending in .xml, .txt or .aps, in any letter case.
bool is_full_text_name(std::string_view name);

// .zip, .tar, .tar.gz or .tgz, and .gz (one compressed file), in any letter case.
std::optional<ArchiveKind> archive_kind(std::string_view name);

// Whether a directory search picks the file up: full text, an archive, or a
// single compressed file of full text (x.xml.gz, not x.log.gz).
bool is_searched_input_name(std::string_view name);

}  // namespace quillmark::bulk
