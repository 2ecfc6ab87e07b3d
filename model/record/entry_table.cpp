#include "model/record/entry_table.hpp"

#include <utility>

namespace quillmark {

EntryTable& EntryTable::operator=(EntryTable&& other) noexcept {
    block_ = std::move(other.block_);
    entry_count_ = std::exchange(other.entry_count_, 0);
    entry_room_ = std::exchange(other.entry_room_, 0);
    byte_count_ = std::exchange(other.byte_count_, 0);
    byte_room_ = std::exchange(other.byte_room_, 0);
    return *this;
}

void EntryTable::move_to_block(std::size_t entry_room, std::size_t byte_room) {
    auto block = std::make_unique_for_overwrite<std::byte[]>(entry_room * sizeof(Entry) + byte_room);
    if (entry_count_) std::memcpy(block.get(), block_.get(), entry_count_ * sizeof(Entry));
    if (byte_count_) std::memcpy(block.get() + entry_room * sizeof(Entry), bytes(), byte_count_);
    block_ = std::move(block);
    entry_room_ = static_cast<std::uint32_t>(entry_room);
    byte_room_ = byte_room;
}

void EntryTable::set_target(std::uint32_t node, std::uint32_t attribute) {
    Entry& entry = entries()[node];
    const Entry& value = entries()[attribute];
    entry.detail = 1;
    entry.offset = value.offset + value.length;
    entry.length = value.extent;
}

void EntryTable::truncate(Mark mark) {
    if (mark.entries < entry_count_) entry_count_ = static_cast<std::uint32_t>(mark.entries);
    if (mark.bytes < byte_count_) byte_count_ = mark.bytes;
}

}  // namespace quillmark
