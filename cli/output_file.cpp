#include "cli/output_file.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quillmark::cli {

namespace {

std::string not_regular_message(mode_t mode) {
    std::string what = "something other than a regular file";
    if (S_ISFIFO(mode)) what = "a named pipe (FIFO)";
    else if (S_ISSOCK(mode)) what = "a socket";
    else if (S_ISCHR(mode) || S_ISBLK(mode)) what = "a device";
    else if (S_ISDIR(mode)) what = "a directory";
    return what + " is in its place; only regular files are written";
}

// Writes the parts in order, all of them.
int write_parts(int descriptor, iovec* next, int count) {
    while (count > 0) {
        const ssize_t written = ::writev(descriptor, next, count);
        if (written < 0) {
            if (errno == EINTR) continue;
            // A descriptor made non-blocking by whoever shares it (a parent
            // process, a terminal) is waited on, not taken as failed.
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                pollfd ready{descriptor, POLLOUT, 0};
                if (::poll(&ready, 1, -1) >= 0 || errno == EINTR) continue;
            }
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

}  // namespace

CreatedFile create_output_file(const std::string& path) {
    // Non-blocking, so that a FIFO in the file's place is refused, not waited
    // on; on the regular file written it changes nothing.
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
    if (descriptor < 0) {
        const int error = errno;
        if (error == ELOOP) return {-1, "a symbolic link is in its place"};
        // A FIFO without a reader, or a socket, cannot be opened for writing.
        struct stat status {};
        if (error == ENXIO && ::lstat(path.c_str(), &status) == 0) return {-1, not_regular_message(status.st_mode)};
        return {-1, std::generic_category().message(error)};
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return {-1, not_regular_message(status.st_mode)};
    }
    return {descriptor, {}};
}

int write_text(int descriptor, std::string_view text) {
    iovec part{const_cast<char*>(text.data()), text.size()};
    return write_parts(descriptor, &part, 1);
}

RecordWritten write_record(int descriptor, std::string_view record) {
    struct stat status {};
    const bool regular = ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
    const off_t start = regular ? ::lseek(descriptor, 0, SEEK_CUR) : -1;
    char line_feed = '\n';
    iovec parts[2] = {{const_cast<char*>(record.data()), record.size()}, {&line_feed, 1}};
    RecordWritten written;
    written.error = write_parts(descriptor, parts, 2);
    if (written.error != 0 && regular)
        written.part_left = start < 0 || ::ftruncate(descriptor, start) != 0 || ::lseek(descriptor, start, SEEK_SET) != start;
    return written;
}

}  // namespace quillmark::cli
