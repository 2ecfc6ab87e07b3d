// quillmark: converts USPTO patent full-text files, single publications or
// weekly bulk files, to Markdown or JSON Lines.
#include <cstdio>
#include <string_view>
#include <vector>

#include "cli/options.hpp"
#include "cli/run.hpp"

#ifndef QUILLMARK_VERSION
#define QUILLMARK_VERSION "unknown"
#endif

int main(int argc, char** argv) {
    using namespace quillmark::cli;
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
