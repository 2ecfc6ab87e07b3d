#include "cli/output_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quillmark::cli {

CreatedFile create_output_file(const std::string& path) {
    // Non-blocking, so that a FIFO in the file's place is refused, not waited
    // on; on the regular file written it changes nothing.
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
    if (descriptor < 0) {
        if (errno == ELOOP) return {-1, "a symbolic link is in its place"};
        return {-1, std::generic_category().message(errno)};
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return {-1, "something other than a regular file is in its place"};
    }
    return {descriptor, {}};
}

int write_record(int descriptor, std::string_view record) {
    char line_feed = '\n';
    iovec parts[2] = {{const_cast<char*>(record.data()), record.size()}, {&line_feed, 1}};
    iovec* next = parts;
    int count = 2;
    while (count > 0) {
        const ssize_t written = ::writev(descriptor, next, count);
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (written == 0) return EIO;
        auto left = static_cast<std::size_t>(written);
        while (count > 0 && left >= next->iov_len) {
            left -= next->iov_len;
            ++next;
            --count;
        }
        if (count > 0) {
            next->iov_base = static_cast<char*>(next->iov_base) + left;
            next->iov_len -= left;
        }
    }
    return 0;
}

}  // namespace quillmark::cli
