#include "cli/help_text.hpp"

namespace quillmark::cli {

namespace {

constexpr std::string_view convert_synopsis =
    "usage: quillmark convert INPUT... [-o OUTPUT] [--format markdown|jsonl|record]\n"
    "                         [--flavor gfm|default] [--template FILE] [--jobs N]\n"
    "                         [--max-document-size SIZE] [--quiet]\n";

constexpr std::string_view detect_synopsis =
    "usage: quillmark detect INPUT... [--max-document-size SIZE] [--quiet]\n";

constexpr std::string_view whole_synopsis =
    "usage: quillmark convert INPUT... [-o OUTPUT] [--format markdown|jsonl|record]\n"
    "                         [--flavor gfm|default] [--template FILE] [--jobs N]\n"
    "                         [--max-document-size SIZE] [--quiet]\n"
    "       quillmark detect INPUT... [--max-document-size SIZE] [--quiet]\n"
    "       quillmark --help | --version\n";

constexpr std::string_view inputs_text =
    "An INPUT is a publication file, a weekly bulk file (split into its\n"
    "documents while it is read), a .zip, .tar, .tar.gz, .tgz or .gz archive\n"
    "of them (read member by member, never unpacked), a directory (its .xml,\n"
    ".txt and .aps files and archives, recursively, in sorted path order) or\n"
    "- for standard input. Documents are numbered from 1 within their input\n"
    "or archive member (reported as ARCHIVE!MEMBER).\n";

constexpr std::string_view command_line_text =
    "Converts USPTO patent full text (XML of every generation, APS text) to\n"
    "Markdown or JSON Lines.\n"
    "\n"
    "commands:\n"
    "  convert   converts each document to Markdown or JSON Lines, on standard\n"
    "            output unless -o names a file or a directory\n"
    "  detect    prints the format of each document: input, number, format\n"
    "\n"
    "options:\n"
    "  -h, --help           prints this text\n"
    "  --version            prints the version\n"
    "\n"
    "'quillmark COMMAND --help' describes a command and its options.\n";

constexpr std::string_view convert_text =
    "Converts every document of the INPUTs to Markdown, GitHub Flavored by\n"
    "default, or to JSON Lines, in input order.\n"
    "\n"
    "OUTPUT (-o):\n"
    "  none, or -           standard output\n"
    "  NAME.md              that file, for a single document\n"
    "  NAME.jsonl           one JSON Lines file for every input (--format jsonl\n"
    "                       unless --format record is given)\n"
    "  DIR/, an existing directory, or any other name\n"
    "                       one Markdown file per document, named after its\n"
    "                       publication or patent number (INPUT-STEM-N.md when\n"
    "                       it has none), or one JSON Lines file per input or\n"
    "                       archive member (STEM.jsonl), in DIR (made if need be)\n"
    "\n"
    "options:\n"
    "  -o, --output OUTPUT  where the output goes (above)\n"
    "  --format FORMAT      markdown (default); jsonl: a JSON line per document\n"
    "                       with its source, index and offset, the values of\n"
    "                       its getters and its Markdown; record: a JSON line\n"
    "                       per document with its source, index and offset and\n"
    "                       its whole parsed record\n"
    "  --flavor FLAVOR      gfm (default): GitHub Flavored Markdown (tables,\n"
    "                       LaTeX math, escaped text); default: the default\n"
    "                       layout of the Python module\n"
    "  --template FILE      a section template for the Markdown\n"
    "  -j, --jobs N         documents converted at once (default: one per core)\n";

constexpr std::string_view size_option_text =
    "  --max-document-size SIZE\n"
    "                       larger documents are reported by their size and\n"
    "                       skipped unread; bytes, or K, M, G for KiB, MiB, GiB\n"
    "                       (default: 512M, at most 2G)\n"
    "  -q, --quiet          no summary at the end and no progress line; errors\n"
    "                       are still reported\n"
    "  -h, --help           prints this text\n";

constexpr std::string_view detect_text =
    "Prints the format of each document of the INPUTs on standard output, a\n"
    "line each: the input (ARCHIVE!MEMBER in an archive), the document's\n"
    "number in it and its format, separated by tabs; a document that cannot\n"
    "be placed has 'error: MESSAGE' for its format.\n"
    "\n"
    "options:\n";

constexpr std::string_view exit_status_text =
    "Failed documents and inputs are reported on standard error and do not\n"
    "stop the run. Exit status: 0 when every document was done, 1 when any\n"
    "failed or the output could not be written, 2 for usage errors, 141 when\n"
    "standard output was closed by its reader.\n";

}  // namespace

std::string_view usage_synopsis(Command command) {
    if (command == Command::Convert) return convert_synopsis;
    if (command == Command::Detect) return detect_synopsis;
    return whole_synopsis;
}

std::string_view command_name(Command command) {
    if (command == Command::Convert) return "convert";
    if (command == Command::Detect) return "detect";
    return {};
}

std::string help_text(Command command) {
    std::string text(usage_synopsis(command));
    text += '\n';
    if (command == Command::Convert) {
        text += convert_text;
        text += size_option_text;
    } else if (command == Command::Detect) {
        text += detect_text;
        text += size_option_text;
    } else {
        text += command_line_text;
    }
    text += '\n';
    text += inputs_text;
    text += '\n';
    text += exit_status_text;
    return text;
}

}  // namespace quillmark::cli
