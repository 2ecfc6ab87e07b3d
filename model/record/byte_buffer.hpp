// Bytes appended one piece after another into a buffer sized in advance:
// the string storage of the XML tree and of entry tables. An append within
// the capacity is a copy and an addition, with no call into the library.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace quillmark {

class ByteBuffer {
public:
    ByteBuffer() = default;
    ByteBuffer(ByteBuffer&& other) noexcept { *this = std::move(other); }
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;

    void reserve(std::size_t capacity) {
        if (capacity > capacity_) grow(capacity - size_);
    }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    std::string_view view() const { return {data_.get(), size_}; }
    std::string_view view(std::size_t offset, std::size_t length) const { return {data_.get() + offset, length}; }

    void append(std::string_view piece) {
        if (piece.size() > capacity_ - size_) grow(piece.size());
        if (!piece.empty()) std::memcpy(data_.get() + size_, piece.data(), piece.size());
        size_ += piece.size();
    }
    void push_back(char c) {
        if (size_ == capacity_) grow(1);
        data_[size_++] = c;
    }
    // Drops every byte; the capacity stays.
    void clear() { size_ = 0; }
    // Drops the bytes from `size` on.
    void truncate(std::size_t size) {
        if (size < size_) size_ = size;
    }

private:
    void grow(std::size_t more);

    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace quillmark
