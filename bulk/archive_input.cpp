#include "bulk/archive_input.hpp"

#include "bulk/gzip_reader.hpp"
#include "bulk/libarchive_api.hpp"

#include <locale.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace quillmark::bulk {

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
    if (!message) return "unreadable archive";
    // zlib's "no progress possible" (Z_BUF_ERROR): the compressed data ran
    // out before the member's end.
    if (std::string_view(message).starts_with("ZIP decompression failed (-5)"))
        return "truncated member: its compressed data ends early";
    return message;
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

// A warning (a name that did not convert, say) still leaves the entry in place.
bool is_usable(int status) { return status == ARCHIVE_OK || status == ARCHIVE_WARN; }

std::string member_name(archive_entry* entry) {
    const char* name = api().entry_pathname_utf8(entry);
    if (!name) name = api().entry_pathname(entry);
    return name ? name : "";
}

// libarchive hands a gzip-compressed tar its bytes through the gzip reader,
// which checks what libarchive's own gzip support does not.
la_ssize_t read_through_gzip(archive*, void* gzip, const void** buffer) {
    const std::string_view block = static_cast<GzipReader*>(gzip)->read();
    *buffer = block.data();
    if (block.empty() && !static_cast<GzipReader*>(gzip)->error().empty()) return ARCHIVE_FATAL;
    return static_cast<la_ssize_t>(block.size());
}

// Reads a zip or tar file, or a tar through a gzip reader (`gzip` not null).
class ArchiveWalk {
public:
    ArchiveWalk(const std::string& path, ArchiveKind kind, GzipReader* gzip, MemberSink& sink)
        : path_(path), kind_(kind), gzip_(gzip), sink_(sink) {}

    std::optional<ReadError> run() {
        if (!open()) return failure();
        while (!sink_.stopped()) {
            archive_entry* entry = nullptr;
            const int status = api().next_header(reader_.get(), &entry);
            report_progress();
            if (status == ARCHIVE_EOF) break;
            if (!is_usable(status)) return failure();
            ++entries_;
            if (is_nested_archive(entry)) {
                ++members_;
                sink_.begin_member(member_name(entry));
                sink_.end_member(ReadError{"an archive inside an archive is not read"});
                continue;
            }
            if (!is_publication(entry)) continue;
            if (read_member(entry)) continue;
            // The member's error is reported; the archive cannot be read past it.
            if (kind_ != ArchiveKind::Zip || gzip_) return std::nullopt;
            if (!read_on_past_damaged_member()) return ReadError{"no member after the damaged one could be read"};
        }
        if (members_ == 0) return ReadError{"no .xml, .txt or .aps member in this archive"};
        return std::nullopt;
    }

private:
    bool open() {
        reader_.reset(api().read_new());
        if (!reader_) return false;
        if (kind_ == ArchiveKind::Zip)
            api().support_format_zip(reader_.get());
        else
            api().support_format_tar(reader_.get());
        const int status = gzip_ ? api().open_callbacks(reader_.get(), gzip_, nullptr, read_through_gzip, nullptr)
                                 : api().open_filename(reader_.get(), path_.c_str(), read_block_size);
        return status == ARCHIVE_OK;
    }

    // What stopped libarchive: the gzip reader's own failure when it has one.
    ReadError failure() const {
        if (gzip_ && !gzip_->error().empty()) return ReadError{gzip_->error(), gzip_->checksum_failed()};
        if (!reader_) return ReadError{"out of memory"};
        return ReadError{error_text(reader_.get())};
    }

    bool is_publication(archive_entry* entry) const {
        return api().entry_filetype(entry) == AE_IFREG && !api().entry_hardlink(entry) &&
               is_full_text_name(member_name(entry));
    }

    bool is_nested_archive(archive_entry* entry) const {
        if (api().entry_filetype(entry) != AE_IFREG) return false;
        const std::string name = member_name(entry);
        return archive_kind(name) && is_searched_input_name(name);
    }

    // A zip's central directory tells where each member starts, so after a
    // member libarchive gave up on, a new reader goes straight to the ones
    // after it. Other archives can only be read on in order.
    bool read_on_past_damaged_member() {
        if (!open()) return false;
        for (std::size_t entry = 0; entry < entries_; ++entry) {
            archive_entry* skipped = nullptr;
            if (!is_usable(api().next_header(reader_.get(), &skipped))) return false;
        }
        return true;
    }

    // Returns whether the archive can be read on past this member. Blocks are
    // handed on as libarchive decompressed them, without a copy, so those
    // read before an error are never lost.
    bool read_member(archive_entry* entry) {
        ++members_;
        sink_.begin_member(member_name(entry));
        la_int64_t position = 0;
        while (!sink_.stopped()) {
            const void* block = nullptr;
            std::size_t size = 0;
            la_int64_t offset = 0;
            const int status = api().data_block(reader_.get(), &block, &size, &offset);
            report_progress();
            if (status == ARCHIVE_EOF) break;
            if (!is_usable(status)) {
                sink_.end_member(failure());
                return status != ARCHIVE_FATAL;
            }
            fill_hole(position, offset);
            sink_.member_data(std::string_view(static_cast<const char*>(block), size));
            position = std::max(position, offset + static_cast<la_int64_t>(size));
            // A warning about the data itself says it is not what the archive
            // holds: a zip CRC or size that does not match.
            if (status == ARCHIVE_WARN) {
                sink_.end_member(data_warning());
                return true;
            }
        }
        // A sparse member may end in a hole.
        if (api().entry_size_is_set(entry)) fill_hole(position, api().entry_size(entry));
        sink_.end_member(std::nullopt);
        return true;
    }

    ReadError data_warning() const {
        const std::string text = error_text(reader_.get());
        if (text.starts_with("ZIP bad CRC")) return ReadError{"checksum mismatch", true};
        return ReadError{text, true};
    }

    // A sparse member leaves out its runs of zeros; they are its bytes all the same.
    void fill_hole(la_int64_t from, la_int64_t to) {
        if (from < to) sink_.member_zeros(static_cast<std::uint64_t>(to - from));
    }

    void report_progress() {
        const std::uint64_t read =
            gzip_ ? gzip_->file_bytes_read() : static_cast<std::uint64_t>(std::max<la_int64_t>(0, api().filter_bytes(reader_.get(), -1)));
        if (read <= reported_) return;
        sink_.archive_bytes_read(read - reported_);
        reported_ = read;
    }

    const std::string& path_;
    const ArchiveKind kind_;
    GzipReader* const gzip_;
    MemberSink& sink_;
    ArchivePointer reader_;
    std::size_t entries_ = 0;  // headers read, whatever they are
    std::size_t members_ = 0;
    std::uint64_t reported_ = 0;
};

void report_file_bytes(const GzipReader& gzip, std::uint64_t& reported, MemberSink& sink) {
    if (gzip.file_bytes_read() <= reported) return;
    sink.archive_bytes_read(gzip.file_bytes_read() - reported);
    reported = gzip.file_bytes_read();
}

// A gzip stream names no member the way archives do; the file's own name
// without ".gz" serves.
std::string gzip_member_name(const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    if (archive_kind(name) == ArchiveKind::Gzip) name.resize(name.size() - 3);
    return name;
}

std::optional<ReadError> read_gzip_file(const std::string& path, MemberSink& sink) {
    GzipReader gzip(path);
    std::uint64_t reported = 0;
    if (!gzip.error().empty()) {
        report_file_bytes(gzip, reported, sink);
        return ReadError{gzip.error()};
    }
    sink.begin_member(gzip_member_name(path));
    while (!sink.stopped()) {
        const std::string_view block = gzip.read();
        report_file_bytes(gzip, reported, sink);
        if (block.empty()) break;
        sink.member_data(block);
    }
    if (gzip.error().empty()) {
        sink.end_member(std::nullopt);
    } else {
        sink.end_member(ReadError{gzip.error(), gzip.checksum_failed()});
    }
    return std::nullopt;
}

// The tar inside is read first; the gzip data after its end (padding) is
// read too, so that the trailer is checked, and a file cut short after the
// tar's last member is reported: its trailer cannot vouch for what was read.
std::optional<ReadError> read_gzipped_tar(const std::string& path, MemberSink& sink) {
    GzipReader gzip(path);
    auto error = ArchiveWalk(path, ArchiveKind::Tar, &gzip, sink).run();
    if (sink.stopped()) return error;
    const bool reported = gzip.error_handed_on();  // libarchive failed on it, and said where
    while (!gzip.read().empty()) {}
    if (gzip.checksum_failed()) return ReadError{"checksum mismatch", true};
    if (!error && !reported && !gzip.error().empty()) return ReadError{gzip.error()};
    return error;
}

}  // namespace

std::optional<ReadError> read_archive(const std::string& path, ArchiveKind kind, MemberSink& sink) {
    constexpr std::string_view needs_zlib = "reading gzip-compressed files needs zlib (libz.so.1), which this system lacks";
    if (kind == ArchiveKind::Gzip) {
        if (!zlib()) return ReadError{std::string(needs_zlib)};
        return read_gzip_file(path, sink);
    }
    if (!libarchive()) return ReadError{"reading archives needs libarchive (libarchive.so.13), which this system lacks"};
    const Utf8NamesOnThisThread utf8_names;
    if (kind == ArchiveKind::Tar && is_gzip_file(path)) {
        if (!zlib()) return ReadError{std::string(needs_zlib)};
        return read_gzipped_tar(path, sink);
    }
    return ArchiveWalk(path, kind, nullptr, sink).run();
}

}  // namespace quillmark::bulk
