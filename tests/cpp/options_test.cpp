#include <gtest/gtest.h>

#include "cli/options.hpp"
#include "cli/output_target.hpp"

namespace quillmark::cli {
namespace {

std::variant<Options, UsageError> parse(std::vector<std::string_view> arguments) {
    return parse_arguments(arguments);
}

TEST(Options, ConvertTakesEveryOptionSpelling) {
    for (const auto& arguments : std::vector<std::vector<std::string_view>>{
             {"convert", "a.xml", "-o", "out", "--format", "jsonl", "--template", "t.md", "--jobs", "3", "b.xml"},
             {"convert", "--output=out", "--format=jsonl", "--template=t.md", "-j3", "a.xml", "b.xml"},
             {"convert", "-oout", "a.xml", "--jobs=3", "b.xml", "--format", "jsonl", "--template", "t.md"}}) {
        const auto parsed = parse(arguments);
        ASSERT_TRUE(std::holds_alternative<Options>(parsed)) << std::get<UsageError>(parsed).message;
        const Options& options = std::get<Options>(parsed);
        EXPECT_EQ(options.command, Command::Convert);
        EXPECT_EQ(options.inputs, (std::vector<std::string>{"a.xml", "b.xml"}));
        EXPECT_EQ(options.output, "out");
        EXPECT_EQ(options.format, OutputFormat::JsonLines);
        EXPECT_EQ(options.template_path, "t.md");
        EXPECT_EQ(options.jobs, 3u);
    }
}

TEST(Options, DefaultsAndSpecialInputs) {
    const auto parsed = parse({"convert", "-", "--", "-o"});
    ASSERT_TRUE(std::holds_alternative<Options>(parsed));
    const Options& options = std::get<Options>(parsed);
    EXPECT_EQ(options.inputs, (std::vector<std::string>{"-", "-o"}));
    EXPECT_EQ(options.output, "-");  // standard output
    EXPECT_FALSE(options.format);      // from the output's name, else Markdown
    EXPECT_EQ(options.flavor, Flavor::Gfm);
    EXPECT_FALSE(options.template_path);
    EXPECT_EQ(options.jobs, 0u);
    EXPECT_FALSE(options.quiet);
}

TEST(Options, FlavorAndQuiet) {
    const auto parsed = parse({"convert", "a", "--flavor", "default", "-q"});
    ASSERT_TRUE(std::holds_alternative<Options>(parsed));
    EXPECT_EQ(std::get<Options>(parsed).flavor, Flavor::Default);
    EXPECT_TRUE(std::get<Options>(parsed).quiet);
    EXPECT_EQ(std::get<Options>(parse({"convert", "--flavor=gfm", "a"})).flavor, Flavor::Gfm);
    EXPECT_TRUE(std::get<Options>(parse({"detect", "--quiet", "a"})).quiet);
}

// Each command has help of its own; before a command, the whole command
// line's.
TEST(Options, HelpWinsAnywhere) {
    for (const auto& [arguments, topic] : std::vector<std::pair<std::vector<std::string_view>, Command>>{
             {{"--help"}, Command::Help},
             {{"-h"}, Command::Help},
             {{"convert", "--help"}, Command::Convert},
             {{"convert", "a", "-q", "-h", "-o", "x"}, Command::Convert},
             {{"detect", "x", "-h"}, Command::Detect}}) {
        const auto parsed = parse(arguments);
        ASSERT_TRUE(std::holds_alternative<Options>(parsed));
        EXPECT_EQ(std::get<Options>(parsed).command, Command::Help);
        EXPECT_EQ(std::get<Options>(parsed).help_topic, topic);
    }
}

TEST(Options, UsageErrorsNameTheirCommand) {
    EXPECT_EQ(std::get<UsageError>(parse({"convert", "--bogus"})).command, Command::Convert);
    EXPECT_EQ(std::get<UsageError>(parse({"detect"})).command, Command::Detect);
    EXPECT_EQ(std::get<UsageError>(parse({"render"})).command, Command::Help);
}

struct TargetCase {
    std::string_view output;
    std::optional<OutputFormat> format;
    bool existing_directory;
    OutputKind kind;
    std::string_view path;
    OutputFormat chosen_format;
};

TEST(OutputTarget, FromTheNameAsPandocDoes) {
    using enum OutputKind;
    using enum OutputFormat;
    for (const TargetCase& c : std::vector<TargetCase>{
             {"-", std::nullopt, false, StandardOutput, "-", Markdown},
             {"-", JsonLines, false, StandardOutput, "-", JsonLines},
             {"US1.md", std::nullopt, false, MarkdownFile, "US1.md", Markdown},
             {"out/US1.MD", Markdown, false, MarkdownFile, "out/US1.MD", Markdown},
             {"week.jsonl", std::nullopt, false, LinesFile, "week.jsonl", JsonLines},
             {"week.JSONL", Record, false, LinesFile, "week.JSONL", Record},
             {"out.md", JsonLines, true, Directory, "out.md", JsonLines},  // an existing directory
             {"out.md/", std::nullopt, false, Directory, "out.md", Markdown},
             {"out//", std::nullopt, false, Directory, "out", Markdown},
             {"/", std::nullopt, true, Directory, "/", Markdown},
             {"out", Record, false, Directory, "out", Record},
             {".md", std::nullopt, false, Directory, ".md", Markdown},
             {"week.jsonl.gz", std::nullopt, false, Directory, "week.jsonl.gz", Markdown}}) {
        const auto chosen = choose_output_target(c.output, c.format, c.existing_directory);
        ASSERT_TRUE(std::holds_alternative<OutputTarget>(chosen)) << c.output;
        const OutputTarget& target = std::get<OutputTarget>(chosen);
        EXPECT_EQ(target.kind, c.kind) << c.output;
        EXPECT_EQ(target.path, c.path) << c.output;
        EXPECT_EQ(target.format, c.chosen_format) << c.output;
    }
}

TEST(OutputTarget, FormatsThatContradictTheName) {
    const auto markdown_file = choose_output_target("a.md", OutputFormat::Record, false);
    EXPECT_EQ(std::get<UsageError>(markdown_file).message,
              "-o a.md names a Markdown file, and --format record writes JSON Lines: name a .jsonl file or a directory");
    const auto lines_file = choose_output_target("a.jsonl", OutputFormat::Markdown, false);
    EXPECT_EQ(std::get<UsageError>(lines_file).message,
              "-o a.jsonl names a JSON Lines file, and --format markdown writes Markdown: name a .md file or a directory");
}

TEST(Options, DocumentSizeLimitTakesBinaryMultiples) {
    for (const auto& [text, size] : std::vector<std::pair<std::string_view, std::size_t>>{
             {"4096", 4096}, {"64K", 64 << 10}, {"64k", 64 << 10}, {"512M", std::size_t{512} << 20},
             {"1G", std::size_t{1} << 30}, {"2G", bulk::largest_document}, {"2048M", bulk::largest_document}}) {
        for (const std::string_view command : {"convert", "detect"}) {
            const auto parsed = parse({command, "a.xml", "--max-document-size", text});
            ASSERT_TRUE(std::holds_alternative<Options>(parsed)) << std::get<UsageError>(parsed).message;
            EXPECT_EQ(std::get<Options>(parsed).max_document_size, size) << text;
        }
    }
    EXPECT_EQ(std::get<Options>(parse({"convert", "a.xml"})).max_document_size, std::size_t{512} << 20);
}

struct Misuse {
    std::vector<std::string_view> arguments;
    std::string message;
};

void PrintTo(const Misuse& misuse, std::ostream* out) { *out << misuse.message; }

class UsageErrors : public testing::TestWithParam<Misuse> {};

TEST_P(UsageErrors, NameTheProblem) {
    const auto parsed = parse(GetParam().arguments);
    ASSERT_TRUE(std::holds_alternative<UsageError>(parsed));
    EXPECT_EQ(std::get<UsageError>(parsed).message, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsageErrors,
    testing::Values(Misuse{{}, "no command given"}, Misuse{{"render", "a.xml"}, "unknown command 'render'"},
                    Misuse{{"convert"}, "no INPUT given"}, Misuse{{"detect", "-o", "x", "a"}, "detect takes no option -o"},
                    Misuse{{"convert", "a", "--bogus"}, "unknown option --bogus"},
                    Misuse{{"convert", "a", "--quiet=yes"}, "unknown option --quiet=yes"},
                    Misuse{{"convert", "a", "--flavor", "commonmark"}, "--flavor is default or gfm, not 'commonmark'"},
                    Misuse{{"convert", "a", "--help=yes"}, "unknown option --help=yes"},
                    Misuse{{"convert", "a", "-o"}, "option -o needs a value"},
                    Misuse{{"convert", "a", "--format", "html"}, "--format is markdown, jsonl or record, not 'html'"},
                    Misuse{{"convert", "a", "-j", "0"}, "--jobs needs a number from 1 to 1024, not '0'"},
                    Misuse{{"convert", "a", "--jobs=2x"}, "--jobs needs a number from 1 to 1024, not '2x'"},
                    Misuse{{"convert", "--output=", "a"}, "option --output needs a value"},
                    Misuse{{"convert", "a", "--template", ""}, "option --template needs a value"},
                    Misuse{{"convert", "-", "-"}, "standard input (-) can be read only once"},
                    Misuse{{"convert", "a", "--max-document-size=2049M"},
                           "--max-document-size needs a size from 1 to 2G (bytes, or K, M, G), not '2049M'"},
                    Misuse{{"detect", "a", "--max-document-size", "0"},
                           "--max-document-size needs a size from 1 to 2G (bytes, or K, M, G), not '0'"},
                    Misuse{{"convert", "a", "--max-document-size", "64MB"},
                           "--max-document-size needs a size from 1 to 2G (bytes, or K, M, G), not '64MB'"},
                    Misuse{{"convert", "a", "--max-document-size", "-1"},
                           "--max-document-size needs a size from 1 to 2G (bytes, or K, M, G), not '-1'"},
                    Misuse{{"convert", "a", "--max-document-size", "99999999999999999999"},
                           "--max-document-size needs a size from 1 to 2G (bytes, or K, M, G), not "
                           "'99999999999999999999'"}));

}  // namespace
}  // namespace quillmark::cli
