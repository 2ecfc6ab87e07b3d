#include "bulk/gzip_reader.hpp"

#include <cstring>

namespace quillmark::bulk {

namespace {

constexpr std::size_t block_size = 1 << 20;
// Window bits that take the gzip wrapper alone and check its trailer.
constexpr int gzip_window_bits = 15 + 16;

}  // namespace

GzipReader::GzipReader(InputStream& file, std::function<bool()> stopped)
    : file_(file), stopped_(std::move(stopped)), input_(block_size), output_(block_size) {
    if (!file_.error().empty()) {
        fail(file_.error());
        return;
    }
    if (zlib()->inflate_init(&stream_, gzip_window_bits, zlib_version, static_cast<int>(sizeof stream_)) != Z_OK) {
        fail("out of memory");
        return;
    }
    stream_ready_ = true;
    if (!fill_input() || stream_.avail_in < 2 || std::memcmp(stream_.next_in, gzip_magic.data(), 2) != 0)
        fail("not gzip-compressed");
}

GzipReader::~GzipReader() {
    if (stream_ready_) zlib()->inflate_end(&stream_);
}

void GzipReader::fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    finished_ = true;
}

// Moves the bytes not yet taken to the front and reads more after them.
// Returns whether anything new was read.
bool GzipReader::fill_input() {
    if (stream_.avail_in > 0) std::memmove(input_.data(), stream_.next_in, stream_.avail_in);
    const std::size_t held = stream_.avail_in;
    const std::size_t count =
        file_.read(reinterpret_cast<char*>(input_.data()) + held, input_.size() - held, stopped_);
    if (count == 0 && !file_.error().empty()) fail(file_.error());
    file_bytes_read_ += count;
    stream_.next_in = input_.data();
    stream_.avail_in = static_cast<unsigned int>(held + count);
    return count > 0;
}

// After a member: another one follows when the next bytes open one. Anything
// else after the last member (padding, say) is not data, as gzip has it.
bool GzipReader::next_member_follows() {
    if (stream_.avail_in < 2) fill_input();
    if (stream_.avail_in < 2 || std::memcmp(stream_.next_in, gzip_magic.data(), 2) != 0) return false;
    zlib()->inflate_reset(&stream_);
    return true;
}

std::string_view GzipReader::read() {
    stream_.next_out = output_.data();
    stream_.avail_out = static_cast<unsigned int>(output_.size());
    while (!finished_ && stream_.avail_out > 0) {
        if (stream_.avail_in == 0 && !fill_input()) {
            fail("truncated gzip input");
            break;
        }
        const int status = zlib()->inflate(&stream_, Z_NO_FLUSH);
        if (status == Z_STREAM_END) {
            if (!next_member_follows()) finished_ = true;
        } else if (status == Z_DATA_ERROR) {
            const std::string_view message = stream_.msg ? stream_.msg : "invalid data";
            checksum_failed_ = message == "incorrect data check" || message == "incorrect length check";
            fail(checksum_failed_ ? std::string("checksum mismatch") : "damaged gzip data: " + std::string(message));
        } else if (status == Z_MEM_ERROR) {
            fail("out of memory");
        } else if (status != Z_OK && status != Z_BUF_ERROR) {
            fail("damaged gzip data");
        }
    }
    const std::size_t produced = output_.size() - stream_.avail_out;
    if (produced == 0 && !error_.empty()) error_handed_on_ = true;
    return std::string_view(reinterpret_cast<const char*>(output_.data()), produced);
}

}  // namespace quillmark::bulk
