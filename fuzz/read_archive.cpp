// The command's archive reader on any bytes, read as each kind of archive:
// it must not crash or leak, every member it begins must end, and no member
// may be handed on outside one.
#include <sys/mman.h>
#include <unistd.h>

#include <array>

#include "bulk/archive_input.hpp"
#include "fuzz/checks.hpp"

namespace {

using quillmark::fuzz::require;

class CheckingSink final : public quillmark::bulk::MemberSink {
public:
    void begin_member(std::string_view) override {
        require(!open_, "a member begins inside another");
        open_ = true;
    }
    void member_data(std::string_view) override { require(open_, "data outside a member"); }
    void member_zeros(std::uint64_t) override { require(open_, "a hole outside a member"); }
    void end_member(std::optional<quillmark::bulk::ReadError> error) override {
        require(open_, "a member ends that never began");
        require(!error || !error->message.empty(), "a member ends with an empty error");
        open_ = false;
    }
    void archive_bytes_read(std::uint64_t) override {}
    bool stopped() const override { return false; }
    bool open() const { return open_; }

private:
    bool open_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using quillmark::bulk::ArchiveKind;
    const int file = memfd_create("archive", 0);
    if (file < 0) return 0;
    for (std::size_t written = 0; written < size;) {
        const ssize_t count = write(file, data + written, size - written);
        if (count <= 0) break;
        written += static_cast<std::size_t>(count);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(file);
    for (ArchiveKind kind : std::array{ArchiveKind::Zip, ArchiveKind::Tar, ArchiveKind::Gzip}) {
        CheckingSink sink;
        quillmark::bulk::read_archive(path, kind, sink);
        require(!sink.open(), "a member never ended");
    }
    close(file);
    return 0;
}
