// quillmark: converts USPTO patent full-text files, single publications or
// weekly bulk files, to Markdown or JSON Lines.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "cli/help_text.hpp"
#include "cli/options.hpp"
#include "cli/output_file.hpp"
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

// Help and version go to standard output, checked as every output is: a
// reader that has gone ends the command quietly, any other failure is told.
int print(std::string_view text) {
    const int error = quillmark::cli::write_text(STDOUT_FILENO, text);
    if (error == 0) return 0;
    if (error == EPIPE) return quillmark::cli::closed_output_status;
    std::fprintf(stderr, "quillmark: cannot write standard output: %s\n", std::strerror(error));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quillmark::cli;
    keep_heap_between_documents();
    // Write errors are found where they happen: a reader of standard output
    // that has gone ends the run quietly with the status SIGPIPE would give,
    // and a file grown to the size limit (ulimit -f) fails its record as a
    // full disk does, rather than killing the command halfway through it.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto parsed = parse_arguments(arguments);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        const std::string_view synopsis = usage_synopsis(error->command);
        const std::string_view command = command_name(error->command);
        std::fprintf(stderr, "quillmark: %s\n%.*sTry 'quillmark %.*s%s--help' for more.\n", error->message.c_str(),
                     static_cast<int>(synopsis.size()), synopsis.data(), static_cast<int>(command.size()),
                     command.data(), command.empty() ? "" : " ");
        return 2;
    }
    const Options& options = std::get<Options>(parsed);
    if (options.command == Command::Help) return print(help_text(options.help_topic));
    if (options.command == Command::Version) return print("quillmark " QUILLMARK_VERSION "\n");
    return run_command(options);
}
