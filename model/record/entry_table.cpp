#include "model/record/entry_table.hpp"

namespace quillmark {

void EntryTable::set_target(std::uint32_t node, std::uint32_t attribute) {
    Entry& entry = entries_[node];
    entry.detail = 1;
    entry.offset = entries_[attribute].offset + entries_[attribute].length;
    entry.length = entries_[attribute].extent;
}

void EntryTable::truncate(Mark mark) {
    entries_.resize(mark.entries);
    strings_.truncate(mark.bytes);
}

}  // namespace quillmark
