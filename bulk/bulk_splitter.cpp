#include "bulk/bulk_splitter.hpp"

#include <algorithm>
#include <array>

#include "model/text/text.hpp"
#include "source/detect.hpp"

namespace quillmark::bulk {

namespace {

constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";
constexpr std::string_view xml_declaration = "<?xml";
// An APS file's first line is never this long; past it the layout is decided
// on what has arrived, so a file without line breaks is never held whole.
constexpr std::size_t longest_layout_line = 1 << 20;
// A longer line is not taken for a "PATN" line, so it need not be held whole.
constexpr std::size_t longest_patent_line = 4096;
// The longest UTF-8 encoding of a white-space character (U+3000, U+2028, ...).
constexpr std::size_t longest_white_space_character = 3;
// Up to this size the buffer grows, and is reused from one document to the
// next, the way std::string does it.
constexpr std::size_t large_buffer_size = 32 << 20;

bool is_xml_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A segment line "PATN" starting in the first column (continuation lines
// start with a space, so they never match). Only a line that starts with "P"
// or a byte-order mark can be one: most lines are told by their first byte.
bool is_patent_start_line(std::string_view line) {
    if (line.empty() || (line.front() != 'P' && line.front() != byte_order_mark.front())) return false;
    return trim_end(without_byte_order_mark(line)) == "PATN";
}

}  // namespace

BulkSplitter::BulkSplitter(Emit emit, std::size_t largest)
    : emit_(std::move(emit)),
      largest_(std::min(largest, largest_document)),
      large_buffer_(std::min(largest_ / 2, large_buffer_size)) {}

void BulkSplitter::take_range(const ByteRange& range, std::uint64_t from, BulkLayout layout) {
    range_ = range;
    if (range.start == 0) return;  // the input's start: read as it is
    layout_ = layout;
    pending_offset_ = from;
    at_input_start_ = from == 0;  // a byte-order mark there is the file's
    before_first_document_ = false;
    skipping_to_range_ = true;
    // Past the input's start, the line the bytes begin in is taken for no
    // patent line: it started before them. The range starts a line only
    // when the bytes before it end one.
    skipping_long_line_ = layout == BulkLayout::Aps && from > 0;
}

// A boundary before the range's start opens a document of an earlier range.
bool BulkSplitter::before_range(std::size_t position) const {
    return range_ && pending_offset_ + position < range_->start;
}

bool BulkSplitter::in_range(std::uint64_t offset) const {
    return !range_ || (offset >= range_->start && offset < range_->stop);
}

// Until the first document of the range, the bytes held are no document of
// it: only what the boundary search still needs is kept.
void BulkSplitter::skip_to_range() {
    const std::size_t keep_from = std::max(scan_from_ - std::min(scan_from_, byte_order_mark.size()), doc_start_);
    doc_start_ = keep_from;
    discard_before(keep_from);
}

void BulkSplitter::feed(std::string_view bytes) {
    if (range_ended_) return;
    discard_before(doc_start_);
    release_room();
    make_room(bytes.size());
    pending_.append(bytes);
    split_complete_documents(false);
}

void BulkSplitter::feed_zeros(std::uint64_t count) {
    static constexpr std::array<char, 1 << 16> zeros{};
    while (count > 0) {
        // Until the layout is known the zeros are read like any bytes.
        const std::uint64_t document = dropped_ + (pending_.size() - doc_start_);
        if (layout_ && document + count > largest_) return drop_with_zeros(count);
        const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(count, zeros.size()));
        feed(std::string_view(zeros.data(), chunk));
        count -= chunk;
    }
}

// The current document with `count` zeros after it is past the limit: it is
// dropped whole, along with the bytes held after the last boundary search,
// which the zeros keep from opening a document.
void BulkSplitter::drop_with_zeros(std::uint64_t count) {
    if (!oversized_offset_) oversized_offset_ = pending_offset_ + doc_start_;
    dropped_ += pending_.size() - doc_start_ + count;
    pending_offset_ += pending_.size() + count;
    pending_.clear();
    release_room();
    doc_start_ = scan_from_ = 0;
    // An APS line that runs on through the zeros cannot open a patent.
    if (*layout_ == BulkLayout::Aps) skipping_long_line_ = true;
}

void BulkSplitter::finish() {
    if (!range_ended_) split_complete_documents(true);
    // An oversized document may have been dropped up to the last byte read.
    if (!range_ended_ && !skipping_to_range_ && (pending_.size() > doc_start_ || oversized_offset_))
        emit_document(pending_.size());
    pending_ = std::string();
    doc_start_ = scan_from_ = 0;
}

// Forgets the bytes before `position` (at most doc_start_), which no document
// needs any more.
void BulkSplitter::discard_before(std::size_t position) {
    if (position == 0) return;
    pending_.erase(0, position);
    pending_offset_ += position;
    scan_from_ -= position;
    doc_start_ -= position;
}

// Once the buffer holds more than large_buffer_ bytes it is given room for the
// largest document it may have to hold, at once: growing it step by step
// would copy it each time, holding it twice for a moment. The room costs
// address space only, until it is written.
void BulkSplitter::make_room(std::size_t incoming) {
    const std::size_t needed = pending_.size() + incoming;
    if (needed <= pending_.capacity() || needed <= large_buffer_) return;
    pending_.reserve(std::max(needed, largest_ + longest_layout_line + incoming));
}

// Gives back the room of a large document once it has left the buffer.
void BulkSplitter::release_room() {
    if (pending_.capacity() > large_buffer_ && pending_.size() <= large_buffer_ / 2) pending_.shrink_to_fit();
}

void BulkSplitter::split_complete_documents(bool at_end) {
    if (!strip_byte_order_mark(at_end) || !decide_layout(at_end)) return;
    while (true) {
        const auto boundary = *layout_ == BulkLayout::Xml ? next_xml_boundary() : next_aps_boundary();
        if (!boundary) break;
        if (before_range(boundary->start)) {
            scan_from_ = boundary->resume;
            continue;
        }
        const bool past_range = range_ && pending_offset_ + boundary->start >= range_->stop;
        std::size_t moved = 0;
        if (skipping_to_range_)
            skipping_to_range_ = false;
        else
            moved = emit_document(boundary->start);
        if (past_range) {
            range_ended_ = true;
            pending_ = std::string();
            doc_start_ = scan_from_ = 0;
            return;
        }
        doc_start_ = boundary->start - moved;
        scan_from_ = boundary->resume - moved;
    }
    if (at_end) return;
    if (skipping_to_range_)
        skip_to_range();
    else
        drop_oversized_document();
}

// Keeps only what the boundary search still needs of a document that has
// grown past the size limit. The document is known to reach at least as far
// as the search has gone: the bytes after that may still open the next one,
// and so may a byte-order mark just before them.
void BulkSplitter::drop_oversized_document() {
    const std::size_t keep_from = std::max(scan_from_ - std::min(scan_from_, byte_order_mark.size()), doc_start_);
    if (!oversized_offset_ && keep_from - doc_start_ <= largest_) return;
    if (!oversized_offset_) oversized_offset_ = pending_offset_ + doc_start_;
    dropped_ += keep_from - doc_start_;
    doc_start_ = keep_from;  // what is kept is the rest of the same document
    discard_before(keep_from);
}

// A UTF-8 byte-order mark at the very start of the input marks its encoding;
// it is not part of the first document.
bool BulkSplitter::strip_byte_order_mark(bool at_end) {
    if (!at_input_start_) return true;
    if (!at_end && pending_.size() < byte_order_mark.size() && byte_order_mark.starts_with(pending_)) return false;
    if (std::string_view(pending_).starts_with(byte_order_mark)) {
        pending_.erase(0, byte_order_mark.size());
        pending_offset_ += byte_order_mark.size();
    }
    at_input_start_ = false;
    return true;
}

// The first non-blank line tells an APS file from XML, by the same rule that
// detects the format of a single document.
bool BulkSplitter::decide_layout(bool at_end) {
    if (layout_) return true;
    const std::string_view text = pending_;
    std::size_t first = 0;
    while (std::size_t n = white_space_at(text, first)) first += n;
    if (first == text.size()) {
        if (!at_end) return false;
        layout_ = BulkLayout::Xml;
        return true;
    }
    // The bytes after the blank run may be the start of a white-space
    // character that the next chunk completes.
    if (!at_end && text.size() - first < longest_white_space_character) return false;
    if (text[first] != 'H' && text[first] != 'P') {
        layout_ = BulkLayout::Xml;
        return true;
    }
    const std::size_t line_start = first == 0 ? 0 : text.rfind('\n', first - 1) + 1;
    std::size_t line_end = text.find('\n', first);
    if (line_end == std::string_view::npos) {
        if (!at_end && text.size() - line_start < longest_layout_line) return false;
        line_end = text.size();
    }
    const auto format = detect_source_format(text.substr(line_start, line_end - line_start));
    layout_ = format && format.value() == SourceFormat::UsptoGrantApsGreenBook ? BulkLayout::Aps : BulkLayout::Xml;
    return true;
}

// The next XML declaration: "<?xml" followed by white space, so processing
// instructions such as "<?xml-stylesheet ...?>" are not taken for one. The
// search goes from one "?" to the next: in XML "<" opens every tag, but "?"
// stands only in processing instructions and now and then in the text.
std::optional<BulkSplitter::Boundary> BulkSplitter::next_xml_boundary() {
    const std::string_view text = pending_;
    for (std::size_t mark = scan_from_ + 1; mark < text.size(); ++mark) {
        mark = text.find('?', mark);
        if (mark == std::string_view::npos) break;
        const std::size_t found = mark - 1;
        if (text[found] != '<') continue;
        const std::size_t after = found + xml_declaration.size();
        if (after >= text.size()) {
            scan_from_ = found;  // the next bytes decide
            return std::nullopt;
        }
        if (text.compare(found, xml_declaration.size(), xml_declaration) != 0 || !is_xml_space(text[after]))
            continue;
        // A file concatenated into the bulk file may bring its byte-order
        // mark along: it opens the next document, it does not end this one.
        if (found >= doc_start_ + byte_order_mark.size() && text.substr(0, found).ends_with(byte_order_mark))
            return Boundary{found - byte_order_mark.size(), after};
        return Boundary{found, after};
    }
    // No declaration starts before the last byte: a "<" there may open one.
    scan_from_ = std::max(scan_from_, text.size() - std::min<std::size_t>(text.size(), 1));
    return std::nullopt;
}

// The next complete line that opens a patent. scan_from_ is always at the
// start of a line.
std::optional<BulkSplitter::Boundary> BulkSplitter::next_aps_boundary() {
    while (true) {
        const std::size_t line_end = pending_.find('\n', scan_from_);
        if (line_end == std::string::npos) {
            if (pending_.size() - scan_from_ > longest_patent_line) {
                skipping_long_line_ = true;
                scan_from_ = pending_.size();
            }
            return std::nullopt;
        }
        const std::size_t line_start = scan_from_;
        scan_from_ = line_end + 1;
        if (skipping_long_line_) {
            skipping_long_line_ = false;
            continue;
        }
        if (is_patent_start_line(std::string_view(pending_).substr(line_start, line_end - line_start)))
            return Boundary{line_start, line_end + 1};
    }
}

// Hands on the document that runs from doc_start_ to `end`. The text before
// the first boundary is dropped when it holds nothing but blank lines (and,
// in APS files, header lines); anything else in it is passed on, so no input
// goes unreported. Returns how far the held bytes moved towards the front.
std::size_t BulkSplitter::emit_document(std::size_t end) {
    const std::string_view text = std::string_view(pending_).substr(doc_start_, end - doc_start_);
    const bool preamble = before_first_document_;
    before_first_document_ = false;
    if (oversized_offset_ || text.size() > largest_) {
        const std::uint64_t offset = oversized_offset_.value_or(pending_offset_ + doc_start_);
        if (in_range(offset)) emit_(SplitDocument{{}, offset, dropped_ + text.size()});
        oversized_offset_.reset();
        dropped_ = 0;
        return 0;
    }
    if (text.empty() || (preamble && is_droppable_preamble(text))) return 0;
    const std::uint64_t offset = pending_offset_ + doc_start_;
    if (!in_range(offset)) return 0;
    const std::size_t size = text.size();
    if (doc_start_ > 0 || size <= large_buffer_) {
        emit_(SplitDocument{std::string(text), offset, size});
        return 0;
    }
    emit_(SplitDocument{take_document(end), offset, size});
    return end;
}

// A large document at the front of the buffer takes the buffer with it
// instead of being copied; the bytes after it start a new one.
std::string BulkSplitter::take_document(std::size_t end) {
    std::string document = std::move(pending_);
    pending_.assign(document, end);
    document.resize(end);
    pending_offset_ += end;
    return document;
}

bool BulkSplitter::is_droppable_preamble(std::string_view text) const {
    if (*layout_ == BulkLayout::Xml) return is_white_space_only(text);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        if (!is_white_space_only(line) && !line.starts_with("HHHHH")) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace quillmark::bulk
