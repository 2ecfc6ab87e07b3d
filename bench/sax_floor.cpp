// The floor of reading a bulk file: libxml2's SAX2 tokenizer with no
// callbacks over each document, or a plain split of the file into lines.
//
//     sax_floor xml|lines FILE [ROUNDS]
//
// Reads FILE into memory, then, ROUNDS times (1 by default), prints the CPU
// seconds (user plus system, this process) of one pass:
// - xml: the file is cut before each XML declaration that starts a line, as
//   a bulk reader cuts it, and each document is read by its own
//   xmlSAXUserParseMemory (its own parser context), with a SAX2 handler that
//   has no callbacks and a structured error handler that ignores what it is
//   given: every tag, attribute, reference and character is read, nothing is
//   built, and errors (undeclared entities, a malformed document) cost only
//   their reporting;
// - lines: the file is split at each line feed into views of its lines.
// The file's reading and cutting are not timed. bench/profile.py --weekly
// counts the instructions of xmlSAXUserParseMemory or split_lines (kept a
// function of its own for that). Built by bench/floor.py:
//     g++ -O2 bench/sax_floor.cpp $(pkg-config --cflags --libs libxml-2.0)
#include <libxml/parser.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

double cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void ignore_error(void*, xmlErrorPtr) {}

std::vector<std::string_view> documents_of(std::string_view file) {
    std::vector<std::string_view> documents;
    std::size_t start = 0;
    for (std::size_t at = file.find("<?xml", 1); at != std::string_view::npos; at = file.find("<?xml", at + 1)) {
        if (file[at - 1] != '\n') continue;
        documents.push_back(file.substr(start, at - start));
        start = at;
    }
    documents.push_back(file.substr(start));
    return documents;
}

std::size_t tokenize(const std::vector<std::string_view>& documents) {
    xmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler);
    handler.initialized = XML_SAX2_MAGIC;
    handler.serror = ignore_error;
    std::size_t failed = 0;
    for (std::string_view document : documents)
        failed += xmlSAXUserParseMemory(&handler, nullptr, document.data(), static_cast<int>(document.size())) != 0;
    return failed;
}

[[gnu::noinline]] std::size_t split_lines(std::string_view file, std::vector<std::string_view>& lines) {
    lines.clear();
    const char* at = file.data();
    const char* end = at + file.size();
    while (at < end) {
        const auto* feed = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
        const char* stop = feed ? feed : end;
        lines.emplace_back(at, static_cast<std::size_t>(stop - at));
        at = feed ? feed + 1 : end;
    }
    return lines.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || (std::strcmp(argv[1], "xml") != 0 && std::strcmp(argv[1], "lines") != 0)) {
        std::fprintf(stderr, "usage: %s xml|lines FILE [ROUNDS]\n", argv[0]);
        return 2;
    }
    const bool xml = std::strcmp(argv[1], "xml") == 0;
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    const std::string file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 1;
    xmlInitParser();
    const std::vector<std::string_view> documents = xml ? documents_of(file) : std::vector<std::string_view>{};
    std::vector<std::string_view> lines;
    for (int round = 0; round < rounds; ++round) {
        const double start = cpu_seconds();
        const std::size_t count = xml ? tokenize(documents) : split_lines(file, lines);
        const double spent = cpu_seconds() - start;
        std::printf("%.6f %zu %zu\n", spent, xml ? documents.size() : count, xml ? count : 0);
    }
    xmlCleanupParser();
    return 0;
}
