// Decompresses a gzip file in blocks as it is read: one member, or several
// concatenated the way gzip writes them. Every member's trailer is checked,
// its CRC-32 and its length, which libarchive's own gzip reader leaves out.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bulk/input_stream.hpp"
#include "bulk/zlib_api.hpp"

namespace quillmark::bulk {

// How every gzip file starts.
inline constexpr std::string_view gzip_magic = "\x1F\x8B";

class GzipReader {
public:
    // Reads `file`, asking `stopped` while it waits for data. Needs zlib()
    // to have been found.
    GzipReader(InputStream& file, std::function<bool()> stopped);
    GzipReader(const GzipReader&) = delete;
    GzipReader& operator=(const GzipReader&) = delete;
    ~GzipReader();

    // The next decompressed bytes, valid until the next call; empty once the
    // data has ended or reading has failed.
    std::string_view read();

    // Why reading ended before the end of the data; empty when it did not.
    const std::string& error() const { return error_; }
    // read() has returned the empty end that the error brought: whoever
    // reads knows the data stopped short.
    bool error_handed_on() const { return error_handed_on_; }
    // A member's trailer disagreed with its data: what was handed on is not
    // what was compressed.
    bool checksum_failed() const { return checksum_failed_; }
    // Bytes of the file read so far.
    std::uint64_t file_bytes_read() const { return file_bytes_read_; }

private:
    bool fill_input();
    bool next_member_follows();
    void fail(std::string message);

    InputStream& file_;
    const std::function<bool()> stopped_;
    z_stream stream_{};
    bool stream_ready_ = false;
    std::vector<unsigned char> input_;
    std::vector<unsigned char> output_;
    std::uint64_t file_bytes_read_ = 0;
    bool finished_ = false;
    bool checksum_failed_ = false;
    bool error_handed_on_ = false;
    std::string error_;
};

}  // namespace quillmark::bulk
