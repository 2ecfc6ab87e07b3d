#include "render/mathml_latex.hpp"

#include <algorithm>
#include <array>
#include <vector>

#include "model/text/entities.hpp"
#include "model/text/text.hpp"
#include "model/text/utf8.hpp"

namespace quillmark {

namespace {

struct Command {
    std::uint32_t code_point;
    std::string_view latex;
};

// Sorted by code point for the binary search.
constexpr std::array<Command, 120> commands = {{
    {0x00A0, "~"},          {0x00AC, "\\neg "},       {0x00B0, "^\\circ "},    {0x00B1, "\\pm "},
    {0x00B7, "\\cdot "},    {0x00D7, "\\times "},     {0x00F7, "\\div "},      {0x0393, "\\Gamma "},
    {0x0394, "\\Delta "},   {0x0398, "\\Theta "},     {0x039B, "\\Lambda "},   {0x039E, "\\Xi "},
    {0x03A0, "\\Pi "},      {0x03A3, "\\Sigma "},     {0x03A5, "\\Upsilon "},  {0x03A6, "\\Phi "},
    {0x03A8, "\\Psi "},     {0x03A9, "\\Omega "},     {0x03B1, "\\alpha "},    {0x03B2, "\\beta "},
    {0x03B3, "\\gamma "},   {0x03B4, "\\delta "},     {0x03B5, "\\epsilon "},  {0x03B6, "\\zeta "},
    {0x03B7, "\\eta "},     {0x03B8, "\\theta "},     {0x03B9, "\\iota "},     {0x03BA, "\\kappa "},
    {0x03BB, "\\lambda "},  {0x03BC, "\\mu "},        {0x03BD, "\\nu "},       {0x03BE, "\\xi "},
    {0x03C0, "\\pi "},      {0x03C1, "\\rho "},       {0x03C2, "\\varsigma "}, {0x03C3, "\\sigma "},
    {0x03C4, "\\tau "},     {0x03C5, "\\upsilon "},   {0x03C6, "\\phi "},      {0x03C7, "\\chi "},
    {0x03C8, "\\psi "},     {0x03C9, "\\omega "},     {0x03D1, "\\vartheta "}, {0x03D5, "\\phi "},
    {0x03D6, "\\varpi "},   {0x03F5, "\\epsilon "},   {0x2016, "\\| "},        {0x2032, "'"},
    {0x2033, "''"},         {0x2061, ""},             {0x2062, ""},            {0x2063, ","},
    {0x2064, ""},           {0x210F, "\\hbar "},      {0x2113, "\\ell "},      {0x2190, "\\leftarrow "},
    {0x2191, "\\uparrow "}, {0x2192, "\\rightarrow "}, {0x2193, "\\downarrow "}, {0x2194, "\\leftrightarrow "},
    {0x21D0, "\\Leftarrow "}, {0x21D2, "\\Rightarrow "}, {0x21D4, "\\Leftrightarrow "}, {0x2200, "\\forall "},
    {0x2202, "\\partial "}, {0x2203, "\\exists "},    {0x2205, "\\emptyset "}, {0x2207, "\\nabla "},
    {0x2208, "\\in "},      {0x2209, "\\notin "},     {0x220B, "\\ni "},       {0x220F, "\\prod "},
    {0x2211, "\\sum "},     {0x2212, "-"},            {0x2213, "\\mp "},       {0x2217, "\\ast "},
    {0x2218, "\\circ "},    {0x2219, "\\cdot "},      {0x221A, "\\surd "},     {0x221D, "\\propto "},
    {0x221E, "\\infty "},   {0x2220, "\\angle "},     {0x2223, "\\mid "},      {0x2225, "\\parallel "},
    {0x2227, "\\wedge "},   {0x2228, "\\vee "},       {0x2229, "\\cap "},      {0x222A, "\\cup "},
    {0x222B, "\\int "},     {0x222C, "\\iint "},      {0x222E, "\\oint "},     {0x2234, "\\therefore "},
    {0x223C, "\\sim "},     {0x2243, "\\simeq "},     {0x2245, "\\cong "},     {0x2248, "\\approx "},
    {0x2260, "\\neq "},     {0x2261, "\\equiv "},     {0x2264, "\\leq "},      {0x2265, "\\geq "},
    {0x2266, "\\leqq "},    {0x2267, "\\geqq "},      {0x226A, "\\ll "},       {0x226B, "\\gg "},
    {0x2282, "\\subset "},  {0x2283, "\\supset "},    {0x2286, "\\subseteq "}, {0x2287, "\\supseteq "},
    {0x2295, "\\oplus "},   {0x2297, "\\otimes "},    {0x22A5, "\\perp "},     {0x22C5, "\\cdot "},
    {0x22EF, "\\cdots "},   {0x2308, "\\lceil "},     {0x2309, "\\rceil "},    {0x230A, "\\lfloor "},
    {0x230B, "\\rfloor "},  {0x2329, "\\langle "},    {0x232A, "\\rangle "},   {0x27E8, "\\langle "},
}};

constexpr bool sorted = [] {
    for (std::size_t i = 1; i < commands.size(); ++i)
        if (!(commands[i - 1].code_point < commands[i].code_point)) return false;
    return true;
}();
static_assert(sorted, "the command table must be sorted by code point");

// Names of the older MathML entity sets that no later set kept, so they
// reach the formula undecoded; sorted by name.
struct NamedCharacter {
    std::string_view name;
    std::string_view character;  // in text mode
    std::string_view latex;      // in math mode
};

constexpr std::array<NamedCharacter, 5> legacy_names = {{
    {"Circlesolid", "\u25CF", "\u25CF"},
    {"LeftBracketingBar", "|", "\\lvert "},
    {"LeftDoubleBracketingBar", "\u2016", "\\lVert "},
    {"RightBracketingBar", "|", "\\rvert "},
    {"RightDoubleBracketingBar", "\u2016", "\\rVert "},
}};

constexpr bool names_sorted = [] {
    for (std::size_t i = 1; i < legacy_names.size(); ++i)
        if (!(legacy_names[i - 1].name < legacy_names[i].name)) return false;
    return true;
}();
static_assert(names_sorted, "the legacy names must be sorted");

// The legacy name whose "&name;" starts `text`, and its length.
const NamedCharacter* legacy_name_at(std::string_view text, std::size_t& length) {
    constexpr std::size_t longest = 24;
    const std::size_t end = text.substr(0, longest + 2).find(';');
    if (end == std::string_view::npos || end < 2) return nullptr;
    const std::string_view name = text.substr(1, end - 1);
    const auto found = std::lower_bound(legacy_names.begin(), legacy_names.end(), name,
                                        [](const NamedCharacter& entry, std::string_view key) { return entry.name < key; });
    if (found == legacy_names.end() || found->name != name) return nullptr;
    length = end + 1;
    return &*found;
}

constexpr std::array<std::string_view, 20> function_names = {
    "arccos", "arcsin", "arctan", "cos", "cosh", "cot", "det", "exp", "lg", "lim",
    "ln",     "log",    "max",    "min", "sec",  "sin", "sinh", "sup", "tan", "tanh",
};

// A character of math text: its command, or itself with LaTeX's special
// characters escaped.
void append_math_character(std::string& out, std::string_view text, std::size_t pos, std::size_t& length) {
    const std::uint32_t code_point = decode_code_point(text, pos, length);
    const auto found = std::lower_bound(commands.begin(), commands.end(), code_point,
                                        [](const Command& command, std::uint32_t key) { return command.code_point < key; });
    if (found != commands.end() && found->code_point == code_point) {
        out += found->latex;
        return;
    }
    if (text[pos] == '&') {
        if (const NamedCharacter* named = legacy_name_at(text.substr(pos), length)) {
            out += named->latex;
            return;
        }
    }
    switch (text[pos]) {
        case '#': case '$': case '%': case '&': case '_': case '{': case '}':
            out += '\\';
            out += text[pos];
            return;
        case '\\': out += "\\backslash "; return;
        case '~': out += "\\sim "; return;
        case '^': out += "\\hat{}"; return;
        default: out += text.substr(pos, length);
    }
}

void append_math_text(std::string& out, std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = 1;
        append_math_character(out, text, pos, length);
        pos += length;
    }
}

// The text inside \text{...}: only what text mode reads as markup escaped.
void append_text_mode(std::string& out, std::string_view text) {
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        const char c = text[pos];
        std::size_t length = 0;
        if (c == '&') {
            if (const NamedCharacter* named = legacy_name_at(text.substr(pos), length)) {
                out += named->character;
                pos += length - 1;
                continue;
            }
        }
        switch (c) {
            case '#': case '$': case '%': case '&': case '_': case '{': case '}':
                out += '\\';
                out += c;
                break;
            case '\\': out += "\\textbackslash{}"; break;
            case '~': out += "\\textasciitilde{}"; break;
            case '^': out += "\\textasciicircum{}"; break;
            default: out += c;
        }
    }
}

std::string token_text(Node::Ref node) {
    std::string raw;
    for (Node::Ref child : node.children()) {
        if (child.is_element()) {
            raw += token_text(child);
        } else {
            if (!child.is_instruction_or_comment()) append_decoded(raw, child.text_value());
        }
    }
    return collapse_white_space(raw);
}

std::vector<Node::Ref> element_children(Node::Ref node) {
    std::vector<Node::Ref> children;
    for (Node::Ref child : node.children())
        if (child.is_element()) children.push_back(child);
    return children;
}

// The text of a token, through at most two wrapping rows; empty for any
// other element, so that asking costs a constant however large the element.
std::string mark_text(Node::Ref node) {
    for (int wrappers = 0; wrappers <= 2; ++wrappers) {
        if (!node.is_element()) return {};
        const std::string_view name = node.name();
        if (name == "mi" || name == "mo" || name == "mn" || name == "mtext" || name == "ms") return token_text(node);
        if (name != "mrow" && name != "mstyle") return {};
        std::optional<Node::Ref> only;
        for (Node::Ref child : node.children()) {
            if (!child.is_element()) continue;
            if (only) return {};
            only = child;
        }
        if (!only) return {};
        node = *only;
    }
    return {};
}

bool is_large_operator(std::string_view text) {
    return text == "\u2211" || text == "\u220F" || text == "\u222B" || text == "\u222C" || text == "\u222E" ||
           text == "lim" || text == "max" || text == "min";
}

// The number of an equation as a table's last column gives it: "(1)",
// "(2a)", "(IV)"; nothing for other text.
std::optional<std::string> equation_number(Node::Ref cell) {
    const std::string text = token_text(cell);
    if (text.size() < 3 || text.front() != '(' || text.back() != ')') return std::nullopt;
    const std::string number = std::string(trim(std::string_view(text).substr(1, text.size() - 2)));
    constexpr std::size_t longest = 12;
    if (number.empty() || number.size() > longest) return std::nullopt;
    const bool arabic = is_ascii_digit(number[0]) && std::all_of(number.begin(), number.end(), [](char c) {
        return is_ascii_digit(c) || is_ascii_letter(c) || c == '-' || c == '.' || c == ',' || c == '\'';
    });
    const bool roman = number.find_first_not_of("IVXLivxl") == std::string::npos;
    if (!arabic && !roman) return std::nullopt;
    return number;
}

bool is_empty_cell(Node::Ref cell) { return token_text(cell).empty() && element_children(cell).empty(); }

bool is_element_named(Node::Ref node, std::string_view name) { return node.is_element() && node.name() == name; }

// The table a formula is made of alone, through rows and styles.
std::optional<Node::Ref> sole_table(Node::Ref math) {
    Node::Ref node = math;
    while (true) {
        if (is_element_named(node, "mtable")) return node;
        const std::vector<Node::Ref> children = element_children(node);
        if (children.size() != 1) return std::nullopt;
        const std::string_view name = node.name();
        if (name != "math" && name != "mrow" && name != "mstyle" && name != "semantics") return std::nullopt;
        node = children.front();
    }
}

class Converter {
public:

    std::string result() { return std::string(trim(out_)); }

    void node(Node::Ref node) {
        if (!node.is_element()) {
            const std::string_view value = node.text_value();
            if (!node.is_instruction_or_comment()) {
                std::string decoded;
                append_decoded(decoded, value);
                const std::string_view trimmed = trim(decoded);
                if (!trimmed.empty()) append_math_text(out_, collapse_white_space(trimmed));
            }
            return;
        }
        const std::string_view name = node.name();
        if (name == "mi") return identifier(node);
        if (name == "mn") return append_math_text(out_, token_text(node));
        if (name == "mo") return operator_(node);
        if (name == "mtext" || name == "ms") {
            const std::string text = token_text(node);
            if (text.empty()) return;
            out_ += "\\text{";
            append_text_mode(out_, text);
            out_ += '}';
            return;
        }
        if (name == "mspace") {
            out_ += "\\ ";
            return;
        }
        const std::vector<Node::Ref> parts = element_children(node);
        if (name == "msub" && parts.size() == 2) return scripts(parts[0], &parts[1], nullptr);
        if (name == "msup" && parts.size() == 2) return scripts(parts[0], nullptr, &parts[1]);
        if (name == "msubsup" && parts.size() == 3) return scripts(parts[0], &parts[1], &parts[2]);
        if (name == "mfrac" && parts.size() == 2) {
            command("\\frac", parts[0]);
            group(parts[1]);
            return;
        }
        if (name == "msqrt") {
            out_ += "\\sqrt{";
            children(node);
            out_ += '}';
            return;
        }
        if (name == "mroot" && parts.size() == 2) {
            out_ += "\\sqrt[";
            this->node(parts[1]);
            out_ += ']';
            group(parts[0]);
            return;
        }
        if (name == "mover" && parts.size() == 2) return over(parts[0], parts[1]);
        if (name == "munder" && parts.size() == 2) return under(parts[0], parts[1]);
        if (name == "munderover" && parts.size() == 3) {
            if (is_large_operator(mark_text(parts[0]))) return scripts(parts[0], &parts[1], &parts[2]);
            out_ += "\\underset";
            group(parts[1]);
            out_ += "{\\overset";
            group(parts[2]);
            group(parts[0]);
            out_ += '}';
            return;
        }
        if (name == "mfenced") return fenced(node, parts);
        if (name == "mtable") return table(parts);
        if (name == "mphantom") {
            out_ += "\\phantom{";
            children(node);
            out_ += '}';
            return;
        }
        if (name == "semantics" && !parts.empty()) return this->node(parts[0]);
        if (name == "annotation" || name == "annotation-xml" || name == "malignmark" || name == "maligngroup") return;
        children(node);
    }

private:
    void children(Node::Ref node) {
        for (Node::Ref child : node.children()) this->node(child);
    }

    void group(Node::Ref node) {
        out_ += '{';
        this->node(node);
        out_ += '}';
    }

    void command(std::string_view name, Node::Ref argument) {
        out_ += name;
        group(argument);
    }

    void identifier(Node::Ref node) {
        const std::string text = token_text(node);
        if (text.empty()) return;
        if (std::find(function_names.begin(), function_names.end(), text) != function_names.end()) {
            out_ += '\\';
            out_ += text;
            out_ += ' ';
            return;
        }
        if (code_point_length(text, 0) == text.size() || !std::all_of(text.begin(), text.end(), is_ascii_letter)) {
            append_math_text(out_, text);
            return;
        }
        out_ += "\\mathrm{";
        out_ += text;
        out_ += '}';
    }

    void operator_(Node::Ref node) {
        const std::string text = token_text(node);
        if (std::find(function_names.begin(), function_names.end(), text) != function_names.end()) {
            out_ += '\\';
            out_ += text;
            out_ += ' ';
            return;
        }
        if (text.size() > 1 && std::all_of(text.begin(), text.end(), is_ascii_letter)) {
            out_ += "\\operatorname{";
            out_ += text;
            out_ += '}';
            return;
        }
        append_math_text(out_, text);
    }

    void scripts(Node::Ref base, const Node::Ref* below, const Node::Ref* above) {
        group(base);
        if (below) {
            out_ += '_';
            group(*below);
        }
        if (above) {
            out_ += '^';
            group(*above);
        }
    }

    void over(Node::Ref base, Node::Ref accent) {
        const std::string mark = mark_text(accent);
        std::string_view command_name;
        if (mark == "\u00AF" || mark == "\u203E" || mark == "_" || mark == "\u0305" || mark == "\u2015" || mark == "-")
            command_name = "\\overline";
        else if (mark == "^" || mark == "\u02C6" || mark == "\u0302")
            command_name = "\\hat";
        else if (mark == "~" || mark == "\u02DC" || mark == "\u0303")
            command_name = "\\tilde";
        else if (mark == "." || mark == "\u02D9" || mark == "\u0307")
            command_name = "\\dot";
        else if (mark == "\u00A8" || mark == ".." || mark == "\u0308")
            command_name = "\\ddot";
        else if (mark == "\u2192" || mark == "\u20D7")
            command_name = "\\vec";
        if (!command_name.empty()) return command(command_name, base);
        if (is_large_operator(mark_text(base))) return scripts(base, nullptr, &accent);
        out_ += "\\overset";
        group(accent);
        group(base);
    }

    void under(Node::Ref base, Node::Ref below) {
        const std::string mark = mark_text(below);
        if (mark == "_" || mark == "\u00AF" || mark == "\u0332") return command("\\underline", base);
        if (is_large_operator(mark_text(base))) return scripts(base, &below, nullptr);
        out_ += "\\underset";
        group(below);
        group(base);
    }

    void fence(std::string_view side, std::string_view delimiter) {
        out_ += side;
        if (delimiter.empty())
            out_ += '.';
        else if (delimiter == "{" || delimiter == "}")
            out_ += '\\', out_ += delimiter;
        else
            append_math_text(out_, delimiter);
        out_ += ' ';
    }

    // The separators are characters, white space between them left out;
    // the last goes between every further pair of parts.
    void fenced(Node::Ref node, const std::vector<Node::Ref>& parts) {
        const std::string_view separators = node.attribute("separators").value_or(",");
        fence("\\left", trim(node.attribute("open").value_or("(")));
        std::size_t next = 0;
        std::string_view separator;
        bool first = true;
        for (const Node::Ref part : parts) {
            if (!first) {
                while (next < separators.size() && is_white_space_only(separators.substr(next, 1))) ++next;
                if (next < separators.size()) {
                    const std::size_t length = code_point_length(separators, next);
                    separator = separators.substr(next, length);
                    next += length;
                }
                append_math_text(out_, separator);
            }
            first = false;
            this->node(part);
        }
        fence("\\right", trim(node.attribute("close").value_or(")")));
    }

public:
    // A table whose rows end in their equation numbers (or start with them
    // as labels), one formula a row: each row with its \tag; false for any
    // other table.
    bool numbered_rows(Node::Ref node) {
        struct Row {
            Node::Ref formula;
            std::optional<std::string> number;
        };
        std::vector<Row> rows;
        bool any_number = false;
        for (const Node::Ref row : element_children(node)) {
            std::vector<Node::Ref> cells = element_children(row);
            std::optional<std::string> number;
            if (row.name() == "mlabeledtr" && cells.size() >= 2) {
                const std::string label = token_text(cells.front());
                number = equation_number(cells.front()).value_or(label);
                cells.erase(cells.begin());
            } else if (cells.size() >= 2) {
                number = equation_number(cells.back());
                if (number || is_empty_cell(cells.back())) cells.pop_back();
            }
            if (cells.size() != 1) return false;
            if (number && number->empty()) number.reset();
            any_number = any_number || number.has_value();
            rows.push_back({cells.front(), std::move(number)});
        }
        if (!any_number) return false;
        const bool gathered = rows.size() > 1;
        if (gathered) out_ += "\\begin{gather*}";
        for (std::size_t index = 0; index < rows.size(); ++index) {
            if (index > 0) out_ += " \\\\ ";
            this->node(rows[index].formula);
            if (!rows[index].number) continue;
            out_ += " \\tag{";
            append_text_mode(out_, *rows[index].number);
            out_ += '}';
        }
        if (gathered) out_ += " \\end{gather*}";
        return true;
    }

private:

    void table(const std::vector<Node::Ref>& rows) {
        out_ += "\\begin{matrix}";
        bool first_row = true;
        for (const Node::Ref row : rows) {
            if (!first_row) out_ += " \\\\ ";
            first_row = false;
            bool first_cell = true;
            for (const Node::Ref cell : element_children(row)) {
                if (row.name() == "mlabeledtr" && first_cell) {
                    first_cell = false;
                    continue;
                }
                if (!first_cell) out_ += " & ";
                first_cell = false;
                this->node(cell);
            }
        }
        out_ += " \\end{matrix}";
    }

    std::string out_;
};

}  // namespace

std::string mathml_to_latex(Node::Ref math, bool displayed) {
    if (displayed) {
        if (const auto table = sole_table(math)) {
            Converter numbered;
            if (numbered.numbered_rows(*table)) return numbered.result();
        }
    }
    Converter converter;
    converter.node(math);
    return converter.result();
}

}  // namespace quillmark
