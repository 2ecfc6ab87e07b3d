#include "cli/template_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "model/text/utf8.hpp"
#include "render/template.hpp"

namespace quillmark::cli {

namespace {

constexpr std::size_t largest_template = 1 << 20;

class Descriptor {
public:
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (descriptor_ >= 0) ::close(descriptor_);
    }
    int get() const { return descriptor_; }

private:
    int descriptor_;
};

}  // namespace

std::variant<std::string, TemplateFileError> read_template_file(const std::string& path) {
    const auto cannot_read = [&] {
        return TemplateFileError{"cannot read --template " + path + ": " + std::generic_category().message(errno)};
    };
    // Non-blocking, so that opening a FIFO does not wait for a writer.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) return cannot_read();
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) return cannot_read();
    if (!S_ISREG(status.st_mode)) return TemplateFileError{"--template " + path + " is not a regular file"};
    // One byte past the limit tells a file that grew since fstat.
    std::string content(largest_template + 1, '\0');
    std::size_t size = 0;
    while (size < content.size()) {
        const ssize_t count = ::read(file.get(), content.data() + size, content.size() - size);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return cannot_read();
        if (count == 0) break;
        size += static_cast<std::size_t>(count);
    }
    content.resize(size);
    if (content.size() > largest_template) return TemplateFileError{"--template " + path + " is larger than 1 MiB"};
    if (find_invalid_utf8(content)) return TemplateFileError{"--template " + path + " is not UTF-8"};
    const auto parsed = parse_template(content);
    if (!parsed) return TemplateFileError{"--template " + path + ": " + parsed.error().message()};
    return content;
}

}  // namespace quillmark::cli
