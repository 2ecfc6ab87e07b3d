// Splits a USPTO bulk file into its documents while it is being read. XML
// bulk files are documents concatenated one after another, each opening with
// its own XML declaration; APS files hold one patent after another, each
// opening at a PATN segment line, possibly after an HHHHH header line.
// Only the current document and the bytes read past it are held.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillmark::cli {

struct SplitDocument {
    std::string text;
    std::uint64_t offset;  // where the document starts in its input, in bytes
};

enum class BulkLayout { Xml, Aps };

class BulkSplitter {
public:
    using Emit = std::function<void(SplitDocument)>;

    explicit BulkSplitter(Emit emit) : emit_(std::move(emit)) {}

    // Takes the next bytes of the input; emits every document they complete.
    void feed(std::string_view bytes);
    // The input has ended: emits the last document.
    void finish();

    // Known once the first non-blank line has been read.
    std::optional<BulkLayout> layout() const { return layout_; }

private:
    struct Boundary {
        std::size_t start;   // where the next document begins
        std::size_t resume;  // where the search for the one after it resumes
    };

    void split_complete_documents(bool at_end);
    bool strip_byte_order_mark(bool at_end);
    bool decide_layout(bool at_end);
    std::optional<Boundary> next_xml_boundary();
    std::optional<Boundary> next_aps_boundary();
    void emit_document(std::size_t end);
    bool is_droppable_preamble(std::string_view text) const;

    Emit emit_;
    std::string pending_;             // unread bytes; the current document starts at doc_start_
    std::uint64_t pending_offset_ = 0;  // input offset of pending_[0]
    std::size_t doc_start_ = 0;
    std::size_t scan_from_ = 0;  // where the search for the next boundary resumes
    bool at_input_start_ = true;
    bool before_first_document_ = true;  // the text before the first boundary is a preamble
    std::optional<BulkLayout> layout_;
};

}  // namespace quillmark::cli
