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
    // With Command::Help: the command whose help is asked for (Help for the
    // command line as a whole).
    Command help_topic = Command::Help;
    std::vector<std::string> inputs;
    std::string output = "-";  // -o as given; "-" for standard output
    std::optional<OutputFormat> format;  // absent: from the output's name, else Markdown
    std::optional<std::string> template_path;
    Flavor flavor = Flavor::Gfm;
    unsigned jobs = 0;  // 0: one per core
    std::size_t max_document_size = bulk::default_document_limit;  // larger documents are skipped
    bool quiet = false;  // no summary, no progress line
};

struct UsageError {
    std::string message;
    // The command it was given to (Help when none was named).
    Command command = Command::Help;
};

// Reads argv[1..]; nothing is checked on the file system here.
std::variant<Options, UsageError> parse_arguments(const std::vector<std::string_view>& arguments);

}  // namespace quillmark::cli
