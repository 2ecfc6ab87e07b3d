// The checksum paths of the command's archive reader, driven by a harness
// that packs the input's bytes itself: a zip with one stored member and a
// .gz of stored deflate blocks, each with its right CRC-32 and length. The
// first four input bytes pick one byte of each to change, or none.
// Unchanged, the member must come through whole and without an error;
// changed, it must never come through without an error and other bytes, and
// a changed byte of its data or of its CRC must be a checksum mismatch.
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <string>

#include "bulk/archive_input.hpp"
#include "fuzz/checks.hpp"

namespace {

using quillmark::fuzz::require;

std::uint32_t crc32(std::string_view bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char byte : bytes) c = table[(c ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}
void put32(std::string& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// A packed archive and where its member's data lies, when a change of those
// bytes can only be caught by a checksum.
struct Packed {
    std::string bytes;
    std::size_t data_from = 0;
    std::size_t data_to = 0;
};

constexpr std::string_view member = "a.xml";

Packed stored_zip(std::string_view data) {
    const auto crc = crc32(data);
    const auto size = static_cast<std::uint32_t>(data.size());
    std::string zip = "PK\x03\x04";
    put16(zip, 10), put16(zip, 0), put16(zip, 0), put16(zip, 0), put16(zip, 0);
    put32(zip, crc), put32(zip, size), put32(zip, size);
    put16(zip, member.size()), put16(zip, 0);
    zip += member;
    const std::size_t data_start = zip.size();
    zip += data;
    const auto directory = static_cast<std::uint32_t>(zip.size());
    zip += "PK\x01\x02";
    put16(zip, 20), put16(zip, 10), put16(zip, 0), put16(zip, 0), put16(zip, 0), put16(zip, 0);
    put32(zip, crc), put32(zip, size), put32(zip, size);
    put16(zip, member.size()), put16(zip, 0), put16(zip, 0), put16(zip, 0), put16(zip, 0);
    put32(zip, 0), put32(zip, 0);
    zip += member;
    const auto directory_size = static_cast<std::uint32_t>(zip.size()) - directory;
    zip += "PK\x05\x06";
    put16(zip, 0), put16(zip, 0), put16(zip, 1), put16(zip, 1);
    put32(zip, directory_size), put32(zip, directory), put16(zip, 0);
    return {zip, data_start, data_start + data.size()};
}

// Stored deflate blocks: a changed trailer CRC can only be caught as a
// mismatch (a changed block header may break the stream instead).
Packed stored_gzip(std::string_view data) {
    std::string gz("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\xFF", 10);
    std::size_t at = 0;
    do {
        const std::size_t length = std::min<std::size_t>(data.size() - at, 0xFFFF);
        gz += static_cast<char>(at + length == data.size() ? 1 : 0);
        put16(gz, static_cast<std::uint32_t>(length));
        put16(gz, static_cast<std::uint32_t>(~length & 0xFFFF));
        gz += data.substr(at, length);
        at += length;
    } while (at < data.size());
    const std::size_t trailer = gz.size();
    put32(gz, crc32(data));
    put32(gz, static_cast<std::uint32_t>(data.size()));
    return {gz, trailer, trailer + 4};
}

class CollectingSink final : public quillmark::bulk::MemberSink {
public:
    void begin_member(std::string_view) override { ++members; }
    void member_data(std::string_view bytes) override { data += bytes; }
    void member_zeros(std::uint64_t) override { require(false, "a hole in a stored member"); }
    void end_member(std::optional<quillmark::bulk::ReadError> ended) override { error = std::move(ended); }
    void archive_bytes_read(std::uint64_t) override {}
    bool stopped() const override { return false; }

    int members = 0;
    std::string data;
    std::optional<quillmark::bulk::ReadError> error;
};

void check(const Packed& packed, quillmark::bulk::ArchiveKind kind, std::string_view data, std::uint32_t pick) {
    std::string bytes = packed.bytes;
    const bool change = pick & 0x80000000u;
    const std::size_t position = pick % bytes.size();
    if (change) bytes[position] = static_cast<char>(bytes[position] ^ (1 + (pick >> 24 & 0x7F)));
    const int file = memfd_create("archive", 0);
    if (file < 0) return;
    require(write(file, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()), "memfd write");
    CollectingSink sink;
    const auto error = quillmark::bulk::read_archive("/proc/self/fd/" + std::to_string(file), kind, sink);
    close(file);
    if (!change) {
        require(!error && sink.members == 1 && !sink.error && sink.data == data, "an intact archive did not read whole");
        return;
    }
    // A member read to its end without an error is the packed data, and a
    // changed byte of a stored zip member is a checksum mismatch.
    if (sink.members == 1 && !sink.error) require(sink.data == data, "changed bytes read as intact");
    if (position >= packed.data_from && position < packed.data_to)
        require(sink.error && sink.error->corrupt, "a changed byte of the data is not a checksum mismatch");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
    using quillmark::bulk::ArchiveKind;
    if (size < 5) return 0;
    const std::uint32_t pick = static_cast<std::uint32_t>(input[0]) << 24 | static_cast<std::uint32_t>(input[1]) << 16 |
                               static_cast<std::uint32_t>(input[2]) << 8 | input[3];
    const std::string_view data = quillmark::fuzz::as_text(input + 4, size - 4);
    check(stored_zip(data), ArchiveKind::Zip, data, pick);
    check(stored_gzip(data), ArchiveKind::Gzip, data, pick);
    return 0;
}
