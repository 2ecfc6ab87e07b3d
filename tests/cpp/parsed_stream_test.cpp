#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bulk/document_disposal.hpp"
#include "bulk/inputs.hpp"
#include "bulk/parsed_stream.hpp"

namespace quillmark::bulk {
namespace {

using namespace std::chrono_literals;

constexpr int copies = 40;

// A bulk file of a written XML grant `copies` times, read with `jobs` workers by a consumer that drops each document as
// Python does (some at once, some held until the stream has ended, which is
// then freed on the consumer's thread): every item comes once, in order,
// parsed. Run with the sanitizers, nothing leaks or races.
class ParsedStreamTest : public testing::TestWithParam<unsigned> {
protected:
    void SetUp() override {
        path_ = std::filesystem::temp_directory_path() /
                ("parsed_stream_test_" + std::to_string(::getpid()) + "_" + std::to_string(GetParam()) + ".xml");
        std::ifstream grant(std::string(QUILLMARK_TEST_DATA) + "/grant_v45_full.xml", std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(grant)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(text.empty());
        std::ofstream out(path_, std::ios::binary);
        for (int copy = 0; copy < copies; ++copy) out << text;
    }
    void TearDown() override { std::filesystem::remove(path_); }

    std::filesystem::path path_;
};

TEST_P(ParsedStreamTest, EveryDocumentComesOnceInOrderAndIsFreedWhereverItIsDropped) {
    PipelineSettings settings;
    settings.jobs = GetParam();
    std::vector<std::size_t> indexes;
    std::vector<std::pair<std::unique_ptr<Document>, std::unique_ptr<DocumentSummary>>> held;
    {
        ParsedStream stream(expand_inputs({path_.string()}), settings);
        while (true) {
            ParsedItem item;
            const auto state = stream.next(item, 100ms);
            if (state == ParsedStream::Wait::Finished) break;
            if (state == ParsedStream::Wait::Pending) continue;
            indexes.push_back(item.index);
            ASSERT_TRUE(item.document) << item.error;
            auto document = std::make_unique<Document>(std::move(*item.document));
            auto summary = std::make_unique<DocumentSummary>(std::move(item.summary));
            if (item.index % 3 == 0)
                held.emplace_back(std::move(document), std::move(summary));
            else
                drop_document(std::move(document), std::move(summary));
        }
        EXPECT_EQ(stream.failure(), "");
    }
    for (auto& [document, summary] : held) drop_document(std::move(document), std::move(summary));
    std::vector<std::size_t> expected(copies);
    for (std::size_t index = 0; index < expected.size(); ++index) expected[index] = index + 1;
    EXPECT_EQ(indexes, expected);
}

INSTANTIATE_TEST_SUITE_P(Jobs, ParsedStreamTest, testing::Values(1u, 3u));

}  // namespace
}  // namespace quillmark::bulk
