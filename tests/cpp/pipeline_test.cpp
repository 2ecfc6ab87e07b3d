#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bulk/pipeline.hpp"

namespace quillmark::bulk {
namespace {

// A sink that records what it is given, and throws where it is told to.
class RecordingSink final : public DocumentSink<std::string> {
public:
    std::string throw_in;  // "work", "failure", "deliver", "end_stream" or "bytes_read"
    std::vector<std::string> delivered;
    std::string run_failure = "(not ended)";

    std::string work(Piece& piece) override {
        if (throw_in == "work" || throw_in == "failure") throw std::runtime_error("work failed");
        return "ok " + std::to_string(piece.index);
    }
    std::string failure(std::string message) override {
        if (throw_in == "failure") throw std::bad_alloc();
        return "failed: " + message;
    }
    void deliver(Piece& piece, std::string& outcome) override {
        if (throw_in == "deliver") throw std::bad_alloc();
        delivered.push_back(std::to_string(piece.index) + ' ' + outcome);
    }
    void end_stream(const StreamEnd& end) override {
        if (throw_in == "end_stream") throw std::logic_error("end failed");
        delivered.push_back("end " + std::to_string(end.documents) + ' ' + stream_error_message(end));
    }
    void bytes_read(std::uint64_t) override {
        if (throw_in == "bytes_read") throw std::bad_alloc();
    }
    void end_run(std::string failure) noexcept override { run_failure = std::move(failure); }
};

class PipelineTest : public testing::Test {
protected:
    void SetUp() override {
        path_ = std::filesystem::temp_directory_path() / ("pipeline_test_" + std::to_string(::getpid()) + ".xml");
        std::ofstream(path_) << "<?xml version=\"1.0\"?><a/>\n<?xml version=\"1.0\"?><b/>\n"
                             << "<?xml version=\"1.0\"?><c>" << std::string(100, 'x') << "</c>\n";
    }
    void TearDown() override { std::filesystem::remove(path_); }

    std::vector<std::string> run(RecordingSink& sink, unsigned jobs = 2, std::size_t largest = 64) {
        PipelineSettings settings;
        settings.jobs = jobs;
        settings.largest = largest;
        settings.limit_name = "the limit";
        Pipeline<std::string> pipeline(expand_inputs({path_.string()}), settings, sink);
        pipeline.start();
        pipeline.wait();
        return sink.delivered;
    }

    std::filesystem::path path_;
};

TEST_F(PipelineTest, DeliversOutcomesAndStreamEndsInInputOrder) {
    RecordingSink sink;
    EXPECT_EQ(run(sink), (std::vector<std::string>{
                             "1 ok 1", "2 ok 2", "3 failed: document of 129 bytes is over the limit (64 bytes)",
                             "end 3 "}));
    EXPECT_EQ(sink.run_failure, "");
}

TEST_F(PipelineTest, AWorkThatThrowsFailsItsDocumentAlone) {
    RecordingSink sink;
    sink.throw_in = "work";
    EXPECT_EQ(run(sink, 1, 1000), (std::vector<std::string>{"1 failed: internal error: work failed",
                                                             "2 failed: internal error: work failed",
                                                             "3 failed: internal error: work failed", "end 3 "}));
    EXPECT_EQ(sink.run_failure, "");
}

// Where no outcome can be made, or the sink fails outside a document, the
// run ends early with the message: never the process.
TEST_F(PipelineTest, AFailureOutsideADocumentEndsTheRunWithItsMessage) {
    for (const char* where : {"failure", "deliver", "end_stream"}) {
        RecordingSink sink;
        sink.throw_in = where;
        run(sink, 1, 1000);
        EXPECT_EQ(sink.run_failure, std::string(where) == "end_stream" ? "internal error: end failed" : "out of memory")
            << where;
    }
}

TEST_F(PipelineTest, AReadingThatFailsEndsItsInputWithTheError) {
    RecordingSink sink;
    sink.throw_in = "bytes_read";
    // The first block's complete documents were handed on before the failure.
    EXPECT_EQ(run(sink), (std::vector<std::string>{"1 ok 1", "2 ok 2", "end 2 out of memory"}));
    EXPECT_EQ(sink.run_failure, "");
}

TEST_F(PipelineTest, StoppingBeforeTheEndDeliversNothingMore) {
    RecordingSink sink;
    PipelineSettings settings;
    Pipeline<std::string> pipeline(expand_inputs({path_.string()}), settings, sink);
    pipeline.stop();
    pipeline.start();
    pipeline.wait();
    EXPECT_TRUE(sink.delivered.empty());
    EXPECT_EQ(sink.run_failure, "");
}

TEST(StreamErrorMessage, CountsTheDocumentsOfACorruptStream) {
    StreamEnd end;
    end.error = ReadError{"checksum mismatch", true};
    end.documents = 2;
    EXPECT_EQ(stream_error_message(end),
              "checksum mismatch; the 2 documents yielded from it before this item came from corrupt data");
    end.documents = 0;
    EXPECT_EQ(stream_error_message(end), "checksum mismatch");
    end.error = ReadError{"truncated gzip input"};
    end.documents = 1;
    EXPECT_EQ(stream_error_message(end), "truncated gzip input");
}

}  // namespace
}  // namespace quillmark::bulk
