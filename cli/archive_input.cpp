#include "cli/archive_input.hpp"

#include "cli/libarchive_api.hpp"

#include <locale.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>

namespace quillmark::cli {

namespace {

constexpr std::size_t read_block_size = 1 << 20;

// Called only once read_archive has found the library.
const LibArchive& api() { return *libarchive(); }

struct ArchiveCloser {
    void operator()(archive* reader) const { api().read_free(reader); }
};
using ArchivePointer = std::unique_ptr<archive, ArchiveCloser>;

std::string error_text(archive* reader) {
    const char* message = api().error_string(reader);
    return message ? message : "unreadable archive";
}

// Only the formats and compressions the kind stands for: a damaged zip must
// be reported as such, not read as raw bytes.
ArchivePointer open_reader(const std::string& path, ArchiveKind kind, std::string& error) {
    ArchivePointer reader(api().read_new());
    if (!reader) {
        error = "out of memory";
        return nullptr;
    }
    switch (kind) {
        case ArchiveKind::Zip:
            api().support_format_zip(reader.get());
            break;
        case ArchiveKind::Tar:
            api().support_format_tar(reader.get());
            api().support_filter_gzip(reader.get());
            break;
        case ArchiveKind::Gzip:
            api().support_format_raw(reader.get());
            api().support_filter_gzip(reader.get());
            break;
    }
    if (api().open_filename(reader.get(), path.c_str(), read_block_size) != ARCHIVE_OK) {
        error = error_text(reader.get());
        return nullptr;
    }
    return reader;
}

// libarchive converts member names to the character set of the locale, and
// the command runs in the "C" locale, where a name with a letter outside
// ASCII cannot be converted and is lost. While an archive is read, the
// reading thread alone takes UTF-8 for its character set.
class Utf8NamesOnThisThread {
public:
    Utf8NamesOnThisThread() : utf8_(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr))) {
        if (utf8_) previous_ = uselocale(utf8_);
    }
    Utf8NamesOnThisThread(const Utf8NamesOnThisThread&) = delete;
    Utf8NamesOnThisThread& operator=(const Utf8NamesOnThisThread&) = delete;
    ~Utf8NamesOnThisThread() {
        if (!utf8_) return;
        uselocale(previous_);
        freelocale(utf8_);
    }

private:
    locale_t utf8_;
    locale_t previous_ = nullptr;
};

// A warning (a name that did not convert, say) still leaves the entry or the
// block in place; anything else but success does not.
bool is_usable(int status) { return status == ARCHIVE_OK || status == ARCHIVE_WARN; }

std::string member_name(archive_entry* entry) {
    const char* name = api().entry_pathname_utf8(entry);
    if (!name) name = api().entry_pathname(entry);
    return name ? name : "";
}

class ArchiveWalk {
public:
    ArchiveWalk(archive* reader, const std::string& path, ArchiveKind kind, MemberSink& sink)
        : reader_(reader), path_(path), kind_(kind), sink_(sink) {}

    std::optional<std::string> run() {
        while (true) {
            archive_entry* entry = nullptr;
            const int status = api().next_header(reader_, &entry);
            report_progress();
            if (status == ARCHIVE_EOF) break;
            if (!is_usable(status)) return error_text(reader_);
            if (kind_ == ArchiveKind::Gzip && api().filter_code(reader_, 0) != ARCHIVE_FILTER_GZIP)
                return "not gzip-compressed";
            if (!is_publication(entry)) continue;
            if (!read_member(entry)) return std::nullopt;  // reported with the member
        }
        if (members_ == 0) return "no .xml, .txt or .aps member in this archive";
        return std::nullopt;
    }

private:
    bool is_publication(archive_entry* entry) const {
        if (api().entry_filetype(entry) != AE_IFREG || api().entry_hardlink(entry)) return false;
        return kind_ == ArchiveKind::Gzip || is_full_text_name(member_name(entry));
    }

    // Returns whether the archive can be read on past this member. Blocks are
    // handed on as libarchive decompressed them, without a copy, so those
    // read before an error are never lost.
    bool read_member(archive_entry* entry) {
        ++members_;
        sink_.begin_member(kind_ == ArchiveKind::Gzip ? gzip_member_name() : member_name(entry));
        la_int64_t position = 0;
        while (true) {
            const void* block = nullptr;
            std::size_t size = 0;
            la_int64_t offset = 0;
            const int status = api().data_block(reader_, &block, &size, &offset);
            report_progress();
            if (status == ARCHIVE_EOF) break;
            if (!is_usable(status)) {
                sink_.end_member(error_text(reader_));
                return status != ARCHIVE_FATAL;
            }
            fill_hole(position, offset);
            sink_.member_data(std::string_view(static_cast<const char*>(block), size));
            position = std::max(position, offset + static_cast<la_int64_t>(size));
        }
        sink_.end_member(std::nullopt);
        return true;
    }

    // A sparse member leaves out its runs of zeros; they are its bytes all the same.
    void fill_hole(la_int64_t from, la_int64_t to) {
        static constexpr std::array<char, 1 << 16> zeros{};
        while (from < to) {
            const auto count = static_cast<std::size_t>(std::min<la_int64_t>(to - from, zeros.size()));
            sink_.member_data(std::string_view(zeros.data(), count));
            from += static_cast<la_int64_t>(count);
        }
    }

    // A gzip stream names no member the way archives do; the file's own name
    // without ".gz" serves.
    std::string gzip_member_name() const {
        std::string name = std::filesystem::path(path_).filename().string();
        if (archive_kind(name) == ArchiveKind::Gzip) name.resize(name.size() - 3);
        return name;
    }

    void report_progress() {
        const la_int64_t read = api().filter_bytes(reader_, -1);
        if (read <= reported_) return;
        sink_.archive_bytes_read(static_cast<std::uint64_t>(read - reported_));
        reported_ = read;
    }

    archive* const reader_;
    const std::string& path_;
    const ArchiveKind kind_;
    MemberSink& sink_;
    std::size_t members_ = 0;
    la_int64_t reported_ = 0;
};

}  // namespace

std::optional<std::string> read_archive(const std::string& path, ArchiveKind kind, MemberSink& sink) {
    if (!libarchive()) return "reading archives needs libarchive (libarchive.so.13), which this system lacks";
    const Utf8NamesOnThisThread utf8_names;
    std::string error;
    const ArchivePointer reader = open_reader(path, kind, error);
    if (!reader) return error;
    return ArchiveWalk(reader.get(), path, kind, sink).run();
}

}  // namespace quillmark::cli
