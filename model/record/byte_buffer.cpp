#include "model/record/byte_buffer.hpp"

#include <algorithm>

namespace quillmark {

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    data_ = std::move(other.data_);
    size_ = other.size_;
    capacity_ = other.capacity_;
    other.size_ = 0;
    other.capacity_ = 0;
    return *this;
}

void ByteBuffer::grow(std::size_t more) {
    const std::size_t capacity = std::max(size_ + more, 2 * capacity_);
    auto data = std::make_unique_for_overwrite<char[]>(capacity);
    if (size_) std::memcpy(data.get(), data_.get(), size_);
    data_ = std::move(data);
    capacity_ = capacity;
}

}  // namespace quillmark
