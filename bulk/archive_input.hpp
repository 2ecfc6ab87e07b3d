// Reads the publications inside an archive with libarchive: member after
// member, each handed on in blocks as it is decompressed, so nothing is
// unpacked to disk and no member is ever held whole.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "bulk/input_names.hpp"

namespace quillmark::bulk {

// Why a member or an archive could not be read to its end.
struct ReadError {
    std::string message;
    // The bytes already handed on failed a checksum: whatever was read from
    // them is not to be trusted.
    bool corrupt = false;
};

// Receives the members of an archive in archive order.
class MemberSink {
public:
    virtual ~MemberSink() = default;
    virtual void begin_member(std::string_view name) = 0;
    virtual void member_data(std::string_view bytes) = 0;
    // So many zero bytes come next: a hole of a sparse member, which is never
    // written out.
    virtual void member_zeros(std::uint64_t count) = 0;
    // The member has ended; `error` tells why it could not be read to its end.
    virtual void end_member(std::optional<ReadError> error) = 0;
    // So many bytes of the archive file itself have been read since the last call.
    virtual void archive_bytes_read(std::uint64_t count) = 0;
    // Reading is to end early: nothing more is wanted.
    virtual bool stopped() const = 0;
};

// Hands on every member whose name ends in .xml, .txt or .aps (any case);
// directories, links and other files are passed over. A .gz file is one
// member, named after the file without ".gz", and is read whatever its name.
// A member that cannot be read to its end is ended with its error; reading
// goes on with the next member unless the archive itself is broken there
// (a zip is read on past a damaged member by its central directory). Zip
// CRCs and gzip trailers are checked: a zip member or .gz file that fails is
// ended as corrupt, a .tar.gz whose trailer fails is corrupt as a whole.
// Returns the error that ended the reading outside any member, or tells that
// the archive holds no publication.
std::optional<ReadError> read_archive(const std::string& path, ArchiveKind kind, MemberSink& sink);

}  // namespace quillmark::bulk
