// The command line: a command, its inputs and its options.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "bulk/bulk_splitter.hpp"
#include "cli/conversion.hpp"

namespace quillmark::cli {

enum class Command { Convert, Detect, Help, Version };

struct Options {
    Command command = Command::Help;
    std::vector<std::string> inputs;
    std::string output_directory = ".";  // "-" for standard output
    OutputFormat format = OutputFormat::Markdown;
    std::optional<std::string> template_path;
    Flavor flavor = Flavor::Default;
    unsigned jobs = 0;  // 0: one per core
    std::size_t max_document_size = bulk::default_document_limit;  // larger documents are skipped
};

struct UsageError {
    std::string message;
};

// Reads argv[1..]; nothing is checked on the file system here.
std::variant<Options, UsageError> parse_arguments(const std::vector<std::string_view>& arguments);

extern const std::string_view usage_synopsis;
// What --help prints after the synopsis.
extern const std::string_view help_text;

}  // namespace quillmark::cli
