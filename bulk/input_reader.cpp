#include "bulk/input_reader.hpp"

#include <filesystem>
#include <vector>

#include "bulk/bulk_splitter.hpp"
#include "bulk/input_stream.hpp"
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
    void take_range(const ByteRange& range, std::uint64_t from, BulkLayout layout) {
        splitter_.take_range(range, from, layout);
        ranged_ = true;
    }
    bool range_ended() const { return splitter_.range_ended(); }

    // The stream is over: read to its end unless `error` says otherwise. A
    // stream cut short by an error leaves its last document unfinished, so
    // that one is dropped and the error stands for it. A corrupt stream is
    // read to its end, but what it gave is not to be trusted.
    void end(std::optional<ReadError> error) {
        if (!error || error->corrupt) splitter_.finish();
        // A range may well hold no document start.
        if (!error && documents_ == 0 && !ranged_) error = ReadError{"no document found"};
        sink_.take(stream_end(source_, !source_->member, std::move(error)));
    }

private:
    PieceSink& sink_;
    const std::shared_ptr<const Source> source_;
    std::size_t documents_ = 0;
    bool ranged_ = false;
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

// The layout of the file, told by its first line as when it is read whole.
std::optional<BulkLayout> file_layout(InputStream& stream, std::vector<char>& buffer,
                                      const std::function<bool()>& stopped) {
    BulkSplitter head([](SplitDocument) {});
    while (!head.layout()) {
        const std::size_t count = stream.read(buffer.data(), buffer.size(), stopped);
        if (count == 0) {
            if (!stream.error().empty()) return std::nullopt;
            head.finish();
            break;
        }
        head.feed(std::string_view(buffer.data(), count));
    }
    return head.layout().value_or(BulkLayout::Xml);
}

// Readies `feed` for the documents of `range`: learns the file's layout and
// goes to the range, a few bytes before its start. False when the file
// cannot be read so (error() tells).
bool start_range(InputStream& stream, const ByteRange& range, std::vector<char>& buffer,
                 const std::function<bool()>& stopped, StreamFeed& feed) {
    if (!stream.error().empty()) return false;
    BulkLayout layout = BulkLayout::Xml;
    if (range.start > 0) {
        const auto found = file_layout(stream, buffer, stopped);
        if (!found) return false;
        layout = *found;
    }
    const std::uint64_t from = range.start - std::min(range.start, range_context);
    if (!stream.seek(from)) return false;
    feed.take_range(range, from, layout);
    return true;
}

}  // namespace

void read_input(const InputFile& file, std::size_t largest, const std::optional<ByteRange>& range, PieceSink& sink) {
    auto source = std::make_shared<const Source>(Source{file.display, file.stem});
    if (!file.error.empty()) return sink.take(stream_end(source, true, ReadError{file.error}));
    if (file.archive) {
        MemberFeeds members(sink, file, largest);
        auto error = read_archive(file.path, *file.archive, members);
        return sink.take(stream_end(source, true, std::move(error)));
    }
    StreamFeed feed(sink, source, largest);
    InputStream stream(file.path);
    const auto stopped = [&sink] { return sink.stopped(); };
    std::vector<char> buffer(read_chunk_size);
    if (range && !start_range(stream, *range, buffer, stopped, feed)) return feed.end(ReadError{stream.error()});
    while (stream.error().empty() && !feed.range_ended()) {
        const std::size_t count = stream.read(buffer.data(), buffer.size(), stopped);
        if (count == 0) break;
        feed.feed(std::string_view(buffer.data(), count));
        sink.bytes_read(count);
    }
    std::optional<ReadError> error;
    if (!stream.error().empty()) error = ReadError{stream.error()};
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
