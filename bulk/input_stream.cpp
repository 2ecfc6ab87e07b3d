#include "bulk/input_stream.hpp"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quillmark::bulk {

namespace {

constexpr int stop_check_milliseconds = 100;

std::string system_message(int error) { return std::generic_category().message(error); }

}  // namespace

InputStream::InputStream(const std::string& path) {
    if (path.empty()) {
        descriptor_ = STDIN_FILENO;
        return;
    }
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor_ < 0) {
        error_ = "cannot open: " + system_message(errno);
        return;
    }
    owned_ = true;
}

InputStream::~InputStream() {
    if (owned_) ::close(descriptor_);
}

std::size_t InputStream::read(char* buffer, std::size_t size, const std::function<bool()>& stopped) {
    if (descriptor_ < 0) return 0;
    while (!stopped()) {
        pollfd waiting{descriptor_, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, stop_check_milliseconds);
        if (ready < 0 && errno != EINTR) {
            error_ = "read error: " + system_message(errno);
            return 0;
        }
        if (ready <= 0) continue;
        const ssize_t count = ::read(descriptor_, buffer, size);
        if (count >= 0) return static_cast<std::size_t>(count);
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
        error_ = "read error: " + system_message(errno);
        return 0;
    }
    return 0;
}

bool InputStream::seek(std::uint64_t offset) {
    if (descriptor_ < 0) return false;
    if (::lseek(descriptor_, static_cast<off_t>(offset), SEEK_SET) >= 0) return true;
    error_ = "cannot seek: " + system_message(errno);
    return false;
}

}  // namespace quillmark::bulk
