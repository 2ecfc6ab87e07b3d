// The command's output writer with failing writes: records built from the
// input are written as Markdown files, JSON Lines files and to standard
// output, under a file size limit that makes the larger ones fail, as a full
// disk would, and with standard output on /dev/full. Every record must be
// whole where it is written and absent where its write failed; taking the
// files back must remove them.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/output_writer.hpp"
#include "fuzz/checks.hpp"

namespace {

using namespace quillmark;
using quillmark::fuzz::require;

// Above libFuzzer's own inputs (-max_len), which it writes as files too.
constexpr rlim_t largest_file = 256 << 10;

std::filesystem::path directory;

std::string file_content(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::size_t file_count() {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(directory), {}));
}

// Each record: a length byte, a repeat byte, then that many bytes of text,
// written that many times over: large records cross the size limit.
std::vector<std::string> records(std::string_view input) {
    std::vector<std::string> out;
    while (input.size() >= 2) {
        const std::size_t length = std::min<std::size_t>(static_cast<unsigned char>(input[0]), input.size() - 2);
        const std::size_t repeat = 1 + static_cast<unsigned char>(input[1]) * 8;
        const std::string_view text = input.substr(2, length);
        std::string record;
        record.reserve(text.size() * repeat);
        for (std::size_t i = 0; i < repeat; ++i) record += text;
        out.push_back(std::move(record));
        input.remove_prefix(2 + length);
    }
    return out;
}

void check_markdown(const std::vector<std::string>& texts, bool take_back) {
    cli::OutputWriter writer(cli::OutputTarget{cli::OutputKind::Directory, directory.string(), cli::OutputFormat::Markdown});
    std::size_t written = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        cli::Outcome outcome;
        outcome.ok = true;
        outcome.payload = texts[i];
        outcome.number = "US" + std::to_string(i % 3);  // names met again take suffixes
        const auto error = writer.write(cli::ConvertedDocument{"input", i + 1, outcome});
        const bool fits = texts[i].size() + 1 <= largest_file;
        require(error.has_value() != fits, "a Markdown write that fits failed, or one that does not fit did not");
        if (!error) ++written;
        require(file_count() == written, "a failed Markdown record left a file");
    }
    require(!writer.end_stream(), "ending a Markdown stream failed");
    require(writer.mark().files == written, "files counted wrong");
    if (take_back) {
        writer.take_back({});
        require(file_count() == 0, "files taken back are still there");
    }
}

void check_json_lines(const std::vector<std::string>& texts) {
    cli::OutputWriter writer(cli::OutputTarget{cli::OutputKind::Directory, directory.string(), cli::OutputFormat::JsonLines});
    std::string expected;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        cli::Outcome outcome;
        outcome.ok = true;
        outcome.payload = texts[i];
        const auto error = writer.write(cli::ConvertedDocument{"lines", i + 1, outcome});
        const bool fits = expected.size() + texts[i].size() + 1 <= largest_file;
        require(error.has_value() != fits, "a JSON Lines write that fits failed, or one that does not fit did not");
        if (!error) expected += texts[i] + '\n';
    }
    require(!writer.end_stream(), "ending a JSON Lines stream failed");
    const auto path = directory / "lines.jsonl";
    if (expected.empty()) {
        require(!std::filesystem::exists(path), "a JSON Lines file without a record was left");
    } else {
        require(file_content(path) == expected, "the JSON Lines file is not its whole records");
    }
}

void check_standard_output(const std::vector<std::string>& texts) {
    for (const std::string& text : texts) {
        const auto error = cli::OutputWriter::write_standard_output(text);
        require(error && !error->output_closed && !error->message.empty(), "a write to /dev/full did not fail alone");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char name[] = "/tmp/quillmark-fuzz-outputs-XXXXXX";
    if (!mkdtemp(name)) std::abort();
    directory = name;
    const rlimit limit{largest_file, largest_file};
    setrlimit(RLIMIT_FSIZE, &limit);
    const int full = open("/dev/full", O_WRONLY);
    if (full < 0 || dup2(full, STDOUT_FILENO) < 0) std::abort();
    close(full);
    std::atexit([] { std::filesystem::remove_all(directory); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // libFuzzer takes the signal of a file grown past its limit for a crash
    // once it has started; here that limit is the full disk being tried.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> texts = records(fuzz::as_text(data + 1, size - 1));
    check_markdown(texts, data[0] & 1);
    std::filesystem::remove_all(directory);
    std::filesystem::create_directory(directory);
    check_json_lines(texts);
    std::filesystem::remove_all(directory);
    std::filesystem::create_directory(directory);
    check_standard_output(texts);
    return 0;
}
