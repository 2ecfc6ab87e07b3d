#include "cli/output_target.hpp"

#include <algorithm>

namespace quillmark::cli {

namespace {

bool has_extension(std::string_view name, std::string_view extension) {
    if (name.size() <= extension.size()) return false;
    const std::string_view end = name.substr(name.size() - extension.size());
    return std::equal(end.begin(), end.end(), extension.begin(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

std::string_view format_name(OutputFormat format) {
    if (format == OutputFormat::Markdown) return "markdown";
    if (format == OutputFormat::JsonLines) return "jsonl";
    return "record";
}

// "out/" and "out//" name the directory "out"; "/" stays itself.
std::string without_final_slashes(std::string_view path) {
    const std::size_t last = path.find_last_not_of('/');
    return std::string(last == std::string_view::npos ? path.substr(0, 1) : path.substr(0, last + 1));
}

}  // namespace

std::variant<OutputTarget, UsageError> choose_output_target(std::string_view output,
                                                             std::optional<OutputFormat> format,
                                                             bool existing_directory) {
    if (output == "-") return OutputTarget{OutputKind::StandardOutput, "-", format.value_or(OutputFormat::Markdown)};
    const std::string path(output);
    if (existing_directory || output.ends_with('/'))
        return OutputTarget{OutputKind::Directory, without_final_slashes(output), format.value_or(OutputFormat::Markdown)};
    if (has_extension(output, ".md")) {
        if (format && *format != OutputFormat::Markdown)
            return UsageError{"-o " + path + " names a Markdown file, and --format " + std::string(format_name(*format)) +
                              " writes JSON Lines: name a .jsonl file or a directory"};
        return OutputTarget{OutputKind::MarkdownFile, path, OutputFormat::Markdown};
    }
    if (has_extension(output, ".jsonl")) {
        if (format == OutputFormat::Markdown)
            return UsageError{"-o " + path + " names a JSON Lines file, and --format markdown writes Markdown: "
                              "name a .md file or a directory"};
        return OutputTarget{OutputKind::LinesFile, path, format.value_or(OutputFormat::JsonLines)};
    }
    return OutputTarget{OutputKind::Directory, path, format.value_or(OutputFormat::Markdown)};
}

}  // namespace quillmark::cli
