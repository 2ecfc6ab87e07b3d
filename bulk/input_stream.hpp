// A file read so that the reading can always be given up: it is opened
// without waiting for a writer (a named pipe opens before one comes), and
// each read waits for data with poll(), a tenth of a second at a time,
// asking between waits whether the reading is still wanted. So a pipe with
// no writer, a slow pipe or a stalled terminal never keeps a run from
// stopping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace quillmark::bulk {

class InputStream {
public:
    // Opens `path`; standard input for an empty path (left open at the end).
    explicit InputStream(const std::string& path);
    InputStream(const InputStream&) = delete;
    InputStream& operator=(const InputStream&) = delete;
    ~InputStream();

    // Why opening or reading failed; empty while nothing has.
    const std::string& error() const { return error_; }

    // Reads up to `size` bytes into `buffer`, waiting until some are there.
    // Returns 0 at the end of the data, on an error (error() tells), and
    // once `stopped` says the reading is no longer wanted.
    std::size_t read(char* buffer, std::size_t size, const std::function<bool()>& stopped);

    // Goes to `offset` from the start; false (error() set) when the file
    // cannot be read from any position.
    bool seek(std::uint64_t offset);

private:
    int descriptor_ = -1;
    bool owned_ = false;
    std::string error_;
};

}  // namespace quillmark::bulk
