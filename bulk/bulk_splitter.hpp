// Splits a USPTO bulk file into its documents while it is being read. XML
// bulk files are documents concatenated one after another, each opening with
// its own XML declaration; APS files hold one patent after another, each
// opening at a PATN segment line, possibly after an HHHHH header line.
// Only the current document and the bytes read past it are held; a document
// that grows past the size limit is dropped as it arrives, and only its size
// is kept.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillmark::bulk {

struct SplitDocument {
    std::string text;      // empty when the document was too large to hold
    std::uint64_t offset;  // where the document starts in its input, in bytes
    std::uint64_t size;    // its length in bytes

    bool too_large() const { return text.size() != size; }
};

// The parsers take no document past 2 GiB.
inline constexpr std::size_t largest_document = 0x7FFFFFFF;
// The command's limit unless it is given another.
inline constexpr std::size_t default_document_limit = std::size_t{512} << 20;

enum class BulkLayout { Xml, Aps };

// The part of an uncompressed bulk file a reading takes: the documents whose
// first byte lies in [start, stop). Ranges that meet give every document of
// the file exactly once.
struct ByteRange {
    std::uint64_t start = 0;
    std::uint64_t stop = 0;
};

class BulkSplitter {
public:
    using Emit = std::function<void(SplitDocument)>;

    // Documents over `largest` bytes (at most largest_document) are reported
    // by their size only.
    explicit BulkSplitter(Emit emit, std::size_t largest = default_document_limit);

    // Splits only `range` of a file of the given layout: the bytes fed
    // start at `from`, at most range_context bytes before range.start, and
    // the documents emitted are those that start in the range. Called before
    // anything is fed.
    void take_range(const ByteRange& range, std::uint64_t from, BulkLayout layout);
    // A document starting at or past the range's stop has been found:
    // nothing more is to be fed.
    bool range_ended() const { return range_ended_; }

    // Takes the next bytes of the input; emits every document they complete.
    void feed(std::string_view bytes);
    // Takes `count` zero bytes, the hole of a sparse file: they open no
    // document and end none, so a run that takes the document past the
    // limit is counted, never held or searched.
    void feed_zeros(std::uint64_t count);
    // The input has ended: emits the last document.
    void finish();

    // The bytes held between calls, and the room set aside for them.
    std::size_t held_bytes() const { return pending_.size(); }
    std::size_t reserved_bytes() const { return pending_.capacity(); }

    // Known once the first non-blank line has been read.
    std::optional<BulkLayout> layout() const { return layout_; }

private:
    struct Boundary {
        std::size_t start;   // where the next document begins
        std::size_t resume;  // where the search for the one after it resumes
    };

    void make_room(std::size_t incoming);
    void release_room();
    void discard_before(std::size_t position);
    void split_complete_documents(bool at_end);
    bool strip_byte_order_mark(bool at_end);
    bool decide_layout(bool at_end);
    std::optional<Boundary> next_xml_boundary();
    std::optional<Boundary> next_aps_boundary();
    std::size_t emit_document(std::size_t end);
    std::string take_document(std::size_t end);
    void drop_oversized_document();
    void drop_with_zeros(std::uint64_t count);
    bool is_droppable_preamble(std::string_view text) const;

    bool before_range(std::size_t position) const;
    bool in_range(std::uint64_t offset) const;
    void skip_to_range();

    Emit emit_;
    const std::size_t largest_;
    const std::size_t large_buffer_;  // past this the buffer is sized for the largest document
    std::string pending_;             // unread bytes; the current document starts at doc_start_
    std::uint64_t pending_offset_ = 0;  // input offset of pending_[0]
    std::size_t doc_start_ = 0;
    std::size_t scan_from_ = 0;  // where the search for the next boundary resumes
    bool at_input_start_ = true;
    bool before_first_document_ = true;  // the text before the first boundary is a preamble
    std::optional<BulkLayout> layout_;
    // The current document outgrew largest_: where it started, and how much
    // of it has been dropped.
    std::optional<std::uint64_t> oversized_offset_;
    std::uint64_t dropped_ = 0;
    bool skipping_long_line_ = false;  // APS: the line being read is too long to open a patent
    std::optional<ByteRange> range_;
    bool skipping_to_range_ = false;  // the bytes held belong to a document that started before the range
    bool range_ended_ = false;
};

// How many bytes before a range's start its reading begins with: enough to
// tell whether a byte-order mark opens a document there, and whether the
// range starts a line.
inline constexpr std::uint64_t range_context = 3;

}  // namespace quillmark::bulk
