// Reads the publications inside an archive with libarchive: member after
// member, each handed on in blocks as it is decompressed, so nothing is
// unpacked to disk and no member is ever held whole.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cli/input_names.hpp"

namespace quillmark::cli {

// Receives the members of an archive in archive order.
class MemberSink {
public:
    virtual ~MemberSink() = default;
    virtual void begin_member(std::string_view name) = 0;
    virtual void member_data(std::string_view bytes) = 0;
    // The member has ended; `error` tells why it could not be read to its end.
    virtual void end_member(std::optional<std::string> error) = 0;
    // So many bytes of the archive file itself have been read since the last call.
    virtual void archive_bytes_read(std::uint64_t count) = 0;
};

// Hands on every member whose name ends in .xml, .txt or .aps (any case);
// directories, links and other files are passed over. A .gz file is one
// member, named after the file without ".gz", and is read whatever its name.
// A member that cannot be read to its end is ended with its error; reading
// goes on with the next member unless the archive itself is broken there.
// Returns the error that ended the reading outside any member, or tells that
// the archive holds no publication.
std::optional<std::string> read_archive(const std::string& path, ArchiveKind kind, MemberSink& sink);

}  // namespace quillmark::cli
