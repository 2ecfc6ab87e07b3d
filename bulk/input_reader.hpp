// Reads one input of a bulk run, a file or an archive, and hands on its
// documents as the splitter completes them: the reading half that the
// command and the module's bulk reader share.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "bulk/archive_input.hpp"
#include "bulk/bulk_splitter.hpp"
#include "bulk/inputs.hpp"

namespace quillmark::bulk {

// What the documents of one stream are reported and named by: an input
// file, or a member of an archive ("FILE!MEMBER").
struct Source {
    std::string display;
    std::string stem;  // names the command's outputs
    bool member = false;
};

// A document, or the end of a stream (carrying the reason when the stream
// could not be read to its end).
struct Piece {
    std::shared_ptr<const Source> source;
    std::size_t index = 0;  // 1-based within the stream
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::string text;  // empty when the document was too large to hold
    bool end_of_stream = false;
    // The last piece of an input: the end of a file, or of an archive after
    // its members.
    bool end_of_input = false;
    std::optional<ReadError> error;

    bool too_large() const { return text.size() != size; }
};

// Receives the pieces of the inputs in input order.
class PieceSink {
public:
    virtual ~PieceSink() = default;
    virtual void take(Piece piece) = 0;
    // So many bytes of the input file have been read since the last call.
    virtual void bytes_read(std::uint64_t) {}
    virtual void member_begun() {}
    // Reading is to end early: nothing more is wanted.
    virtual bool stopped() const = 0;
};

// Reads the file (standard input for an empty path) or the archive in
// chunks, splitting it into documents of at most `largest` bytes held; only
// the documents of `range` when one is given (for a file, not an archive).
void read_input(const InputFile& file, std::size_t largest, const std::optional<ByteRange>& range, PieceSink& sink);

// The message for a document over the size limit, which the caller names.
std::string oversized_message(std::uint64_t size, std::size_t limit, std::string_view limit_name);

// Why a document's bytes are no text a Python str could hold, if they are not.
std::optional<std::string> invalid_utf8_message(std::string_view text);

}  // namespace quillmark::bulk
