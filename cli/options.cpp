#include "cli/options.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace quillmark::cli {

namespace {

class ArgumentReader {
public:
    explicit ArgumentReader(const std::vector<std::string_view>& arguments) : arguments_(arguments) {}

    bool done() const { return position_ >= arguments_.size(); }
    std::string_view next() { return arguments_[position_++]; }

    // The value of option `name`: attached ("--name=value", "-jN") or the
    // following argument.
    std::optional<std::string_view> value(std::optional<std::string_view> attached) {
        if (attached) return attached;
        if (done()) return std::nullopt;
        return next();
    }

private:
    const std::vector<std::string_view>& arguments_;
    std::size_t position_ = 0;
};

UsageError missing_value(std::string_view option) { return {"option " + std::string(option) + " needs a value"}; }

std::variant<unsigned, UsageError> parse_jobs(std::string_view text) {
    unsigned jobs = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (error != std::errc() || end != text.data() + text.size() || jobs == 0 || jobs > 1024)
        return UsageError{"--jobs needs a number from 1 to 1024, not '" + std::string(text) + "'"};
    return jobs;
}

// A byte count with an optional binary multiple: "4096", "64K", "512M", "2G".
// 2G stands for the largest document the parsers take, one byte less.
std::variant<std::size_t, UsageError> parse_document_size(std::string_view text) {
    std::uint64_t size = 0;
    const char* const last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, size);
    const std::string_view suffix(end, static_cast<std::size_t>(last - end));
    int shift = -1;
    if (suffix.empty()) shift = 0;
    else if (suffix == "K" || suffix == "k") shift = 10;
    else if (suffix == "M" || suffix == "m") shift = 20;
    else if (suffix == "G" || suffix == "g") shift = 30;
    constexpr std::uint64_t most = std::uint64_t{2} << 30;
    if (error != std::errc() || shift < 0 || size == 0 || size > (most >> shift))
        return UsageError{"--max-document-size needs a size from 1 to 2G (bytes, or K, M, G), not '" +
                          std::string(text) + "'"};
    return std::min(static_cast<std::size_t>(size << shift), bulk::largest_document);
}

// Splits "--name=value" and "-xVALUE" into the option and its attached value.
std::pair<std::string_view, std::optional<std::string_view>> split_option(std::string_view argument) {
    if (argument.starts_with("--")) {
        const std::size_t equals = argument.find('=');
        if (equals == std::string_view::npos) return {argument, std::nullopt};
        return {argument.substr(0, equals), argument.substr(equals + 1)};
    }
    if (argument.size() > 2) return {argument.substr(0, 2), argument.substr(2)};
    return {argument, std::nullopt};
}

std::optional<UsageError> read_option(Options& options, bool& help, ArgumentReader& reader, std::string_view argument) {
    const auto [name, attached] = split_option(argument);
    const bool takes_value = name == "-o" || name == "--output" || name == "--format" || name == "--template" ||
                             name == "--flavor" ||
                             name == "-j" || name == "--jobs" || name == "--max-document-size";
    if (!takes_value) {
        if (attached) return UsageError{"unknown option " + std::string(argument)};
        if (name == "-h" || name == "--help")
            help = true;
        else if (name == "-q" || name == "--quiet")
            options.quiet = true;
        else
            return UsageError{"unknown option " + std::string(argument)};
        return std::nullopt;
    }
    const auto value = reader.value(attached);
    if (!value) return missing_value(name);
    if (options.command == Command::Detect && name != "--max-document-size")
        return UsageError{"detect takes no option " + std::string(name)};
    if (value->empty()) return missing_value(name);
    if (name == "-o" || name == "--output") {
        options.output = std::string(*value);
    } else if (name == "--format") {
        if (*value == "markdown")
            options.format = OutputFormat::Markdown;
        else if (*value == "jsonl")
            options.format = OutputFormat::JsonLines;
        else if (*value == "record")
            options.format = OutputFormat::Record;
        else
            return UsageError{"--format is markdown, jsonl or record, not '" + std::string(*value) + "'"};
    } else if (name == "--template") {
        options.template_path = std::string(*value);
    } else if (name == "--flavor") {
        if (const auto flavor = flavor_named(*value))
            options.flavor = *flavor;
        else
            return UsageError{"--flavor is " + flavor_choices("", " or ") + ", not '" + std::string(*value) + "'"};
    } else if (name == "--max-document-size") {
        auto size = parse_document_size(*value);
        if (auto* error = std::get_if<UsageError>(&size)) return *error;
        options.max_document_size = std::get<std::size_t>(size);
    } else {
        auto jobs = parse_jobs(*value);
        if (auto* error = std::get_if<UsageError>(&jobs)) return *error;
        options.jobs = std::get<unsigned>(jobs);
    }
    return std::nullopt;
}

// The options and inputs after the command's name.
std::optional<UsageError> read_command_arguments(Options& options, ArgumentReader& reader) {
    bool help = false;
    bool options_ended = false;
    while (!reader.done()) {
        const std::string_view argument = reader.next();
        if (!options_ended && argument == "--") {
            options_ended = true;
        } else if (!options_ended && argument.size() > 1 && argument.front() == '-') {
            if (auto error = read_option(options, help, reader, argument)) return error;
        } else {
            options.inputs.emplace_back(argument);
        }
    }
    if (help) {
        options.help_topic = options.command;
        options.command = Command::Help;
        return std::nullopt;
    }
    if (options.inputs.empty()) return UsageError{"no INPUT given"};
    std::size_t standard_inputs = 0;
    for (const std::string& input : options.inputs) standard_inputs += input == "-";
    if (standard_inputs > 1) return UsageError{"standard input (-) can be read only once"};
    return std::nullopt;
}

}  // namespace

std::variant<Options, UsageError> parse_arguments(const std::vector<std::string_view>& arguments) {
    Options options;
    ArgumentReader reader(arguments);
    if (reader.done()) return UsageError{"no command given"};
    const std::string_view command = reader.next();
    if (command == "-h" || command == "--help") return options;
    if (command == "--version") {
        options.command = Command::Version;
        return options;
    }
    if (command == "convert")
        options.command = Command::Convert;
    else if (command == "detect")
        options.command = Command::Detect;
    else
        return UsageError{"unknown command '" + std::string(command) + "'"};
    if (auto error = read_command_arguments(options, reader)) {
        error->command = options.command;
        return *error;
    }
    return options;
}

}  // namespace quillmark::cli
