// The command's bulk-file splitter. The first input byte picks the chunk
// size the input is fed in, the size limit and whether runs of zero bytes
// are fed as the holes of a sparse file; the documents must not depend on
// the chunking nor on the holes, and each must be the input's own bytes at
// its offset.
#include <algorithm>
#include <vector>

#include "bulk/bulk_splitter.hpp"
#include "fuzz/checks.hpp"

namespace {

using quillmark::bulk::BulkSplitter;
using quillmark::bulk::SplitDocument;

// Feeds the bytes, each run of zeros in them as a hole.
void feed_with_holes(BulkSplitter& splitter, std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t zero = std::min(bytes.find('\0'), bytes.size());
        if (zero > 0) splitter.feed(bytes.substr(0, zero));
        const std::size_t run = std::min(bytes.find_first_not_of('\0', zero), bytes.size()) - zero;
        if (run > 0) splitter.feed_zeros(run);
        bytes.remove_prefix(zero + run);
    }
}

std::vector<SplitDocument> split(std::string_view input, std::size_t chunk, std::size_t largest, bool holes) {
    std::vector<SplitDocument> documents;
    BulkSplitter splitter([&](SplitDocument document) { documents.push_back(std::move(document)); }, largest);
    for (std::size_t at = 0; at < input.size(); at += chunk) {
        if (holes)
            feed_with_holes(splitter, input.substr(at, chunk));
        else
            splitter.feed(input.substr(at, chunk));
    }
    splitter.finish();
    return documents;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillmark;
    if (size == 0) return 0;
    const std::size_t chunk = 1 + (data[0] & 0x3F);
    const std::size_t largest = (data[0] & 0x40) ? 200 : bulk::largest_document;
    const std::string_view input = fuzz::as_text(data + 1, size - 1);

    const bool holes = data[0] & 0x80;
    const std::vector<SplitDocument> whole = split(input, input.size() + 1, largest, false);
    const std::vector<SplitDocument> chunked = split(input, chunk, largest, holes);
    fuzz::require(whole.size() == chunked.size(), "chunking changes the number of documents");
    std::uint64_t next = 0;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        const SplitDocument& a = whole[i];
        const SplitDocument& b = chunked[i];
        fuzz::require(a.offset == b.offset && a.size == b.size && a.text == b.text, "chunking changes a document");
        fuzz::require(a.offset >= next && a.offset + a.size <= input.size(), "document outside the input");
        fuzz::require(a.size > 0, "empty document");
        if (!a.too_large()) fuzz::require(input.substr(a.offset, a.size) == a.text, "document is not the input's bytes");
        next = a.offset + a.size;
    }
    return 0;
}
