// quillmark: converts USPTO patent full-text files, single publications or
// weekly bulk files, to Markdown or JSON Lines.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "cli/options.hpp"
#include "cli/run.hpp"

#ifndef QUILLMARK_VERSION
#define QUILLMARK_VERSION "unknown"
#endif

namespace {

// Every document's buffers are freed before the next one is read. glibc
// would hand the top of the heap back to the system each time and fault the
// same pages in again for the next document, which took a third of the time
// of converting 1 MB publications. Keeping 32 MiB at the top of each heap
// serves documents up to a few MB from pages already in place. Setting that
// turns off glibc's own choice of which requests get fresh mappings, so
// buffers up to the same size are taken from the heap as well. Whoever sets
// glibc's top pad in the environment keeps their choice.
void keep_heap_between_documents() {
#if defined(__GLIBC__)
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    if (std::getenv("MALLOC_TOP_PAD_") || (tunables && std::string_view(tunables).find("top_pad") != std::string_view::npos))
        return;
    mallopt(M_TOP_PAD, 32 << 20);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quillmark::cli;
    keep_heap_between_documents();
    // A reader of standard output that has gone is a write error like any
    // other, which stops the run with one message, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto parsed = parse_arguments(arguments);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        std::fprintf(stderr, "quillmark: %s\n%.*sTry 'quillmark --help' for more.\n", error->message.c_str(),
                     static_cast<int>(usage_synopsis.size()), usage_synopsis.data());
        return 2;
    }
    const Options& options = std::get<Options>(parsed);
    if (options.command == Command::Help) {
        std::printf("%.*s\n%.*s", static_cast<int>(usage_synopsis.size()), usage_synopsis.data(),
                    static_cast<int>(help_text.size()), help_text.data());
        return 0;
    }
    if (options.command == Command::Version) {
        std::puts("quillmark " QUILLMARK_VERSION);
        return 0;
    }
    return run_command(options);
}
