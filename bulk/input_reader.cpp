#include "bulk/input_reader.hpp"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "bulk/bulk_splitter.hpp"
#include "model/text/utf8.hpp"

namespace quillmark::bulk {

namespace {

constexpr std::size_t read_chunk_size = 1 << 20;

Piece stream_end(std::shared_ptr<const Source> source, bool end_of_input, std::optional<ReadError> error) {
    Piece piece;
    piece.source = std::move(source);
    piece.end_of_stream = true;
    piece.end_of_input = end_of_input;
    piece.error = std::move(error);
    return piece;
}

// Splits one stream, a file or an archive member, and hands on its
// documents as they are completed, then its end.
class StreamFeed {
public:
    StreamFeed(PieceSink& sink, std::shared_ptr<const Source> source, std::size_t largest)
        : sink_(sink),
          source_(std::move(source)),
          splitter_(
              [this](SplitDocument document) {
                  Piece piece;
                  piece.source = source_;
                  piece.index = ++documents_;
                  piece.offset = document.offset;
                  piece.size = document.size;
                  piece.text = std::move(document.text);
                  sink_.take(std::move(piece));
              },
              largest) {}
    StreamFeed(const StreamFeed&) = delete;
    StreamFeed& operator=(const StreamFeed&) = delete;

    void feed(std::string_view bytes) { splitter_.feed(bytes); }
    void feed_zeros(std::uint64_t count) { splitter_.feed_zeros(count); }

    // The stream is over: read to its end unless `error` says otherwise. A
    // stream cut short by an error leaves its last document unfinished, so
    // that one is dropped and the error stands for it. A corrupt stream is
    // read to its end, but what it gave is not to be trusted.
    void end(std::optional<ReadError> error) {
        if (!error || error->corrupt) splitter_.finish();
        if (!error && documents_ == 0) error = ReadError{"no document found"};
        sink_.take(stream_end(source_, !source_->member, std::move(error)));
    }

private:
    PieceSink& sink_;
    const std::shared_ptr<const Source> source_;
    std::size_t documents_ = 0;
    BulkSplitter splitter_;
};

// Gives each publication in an archive a stream of its own.
class MemberFeeds final : public MemberSink {
public:
    MemberFeeds(PieceSink& sink, const InputFile& archive, std::size_t largest)
        : sink_(sink), archive_(archive), largest_(largest) {}

    void begin_member(std::string_view name) override {
        sink_.member_begun();
        const std::string stem = std::filesystem::path(name).stem().string();
        feed_.emplace(sink_, std::make_shared<const Source>(Source{archive_.display + '!' + std::string(name), stem, true}),
                      largest_);
    }
    void member_data(std::string_view bytes) override { feed_->feed(bytes); }
    void member_zeros(std::uint64_t count) override { feed_->feed_zeros(count); }
    void end_member(std::optional<ReadError> error) override {
        feed_->end(std::move(error));
        feed_.reset();
    }
    void archive_bytes_read(std::uint64_t count) override { sink_.bytes_read(count); }
    bool stopped() const override { return sink_.stopped(); }

private:
    PieceSink& sink_;
    const InputFile& archive_;
    const std::size_t largest_;
    std::optional<StreamFeed> feed_;
};

}  // namespace

void read_input(const InputFile& file, std::size_t largest, const std::optional<ByteRange>& /*range*/, PieceSink& sink) {
    auto source = std::make_shared<const Source>(Source{file.display, file.stem});
    if (!file.error.empty()) return sink.take(stream_end(source, true, ReadError{file.error}));
    if (file.archive) {
        MemberFeeds members(sink, file, largest);
        auto error = read_archive(file.path, *file.archive, members);
        return sink.take(stream_end(source, true, std::move(error)));
    }
    StreamFeed feed(sink, source, largest);
    std::FILE* stream = file.path.empty() ? stdin : std::fopen(file.path.c_str(), "rb");
    if (!stream) return feed.end(ReadError{"cannot open: " + std::generic_category().message(errno)});
    std::vector<char> buffer(read_chunk_size);
    while (!sink.stopped()) {
        const std::size_t count = std::fread(buffer.data(), 1, buffer.size(), stream);
        if (count > 0) {
            feed.feed(std::string_view(buffer.data(), count));
            sink.bytes_read(count);
        }
        if (count < buffer.size()) break;
    }
    std::optional<ReadError> error;
    if (std::ferror(stream)) error = ReadError{"read error: " + std::generic_category().message(errno)};
    if (stream != stdin) std::fclose(stream);
    feed.end(std::move(error));
}

std::string oversized_message(std::uint64_t size, std::size_t limit, std::string_view limit_name) {
    return "document of " + std::to_string(size) + " bytes is over " + std::string(limit_name) + " (" +
           std::to_string(limit) + " bytes)";
}

std::optional<std::string> invalid_utf8_message(std::string_view text) {
    const auto invalid = find_invalid_utf8(text);
    if (!invalid) return std::nullopt;
    return "invalid UTF-8 at byte " + std::to_string(*invalid) + " of the document";
}

}  // namespace quillmark::bulk
