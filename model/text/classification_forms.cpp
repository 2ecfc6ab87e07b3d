#include "model/text/classification_forms.hpp"

#include "model/text/text.hpp"

namespace quillmark {

namespace {

bool is_ascii_upper(char c) { return c >= 'A' && c <= 'Z'; }

// Section letter A to H, two class digits, a subclass letter.
bool is_ipc_subclass(std::string_view text) {
    return text.size() == 4 && text[0] >= 'A' && text[0] <= 'H' && is_ascii_digit(text[1]) &&
           is_ascii_digit(text[2]) && is_ascii_upper(text[3]);
}

// A main group of one to four digits once its blanks and padding zeros are
// gone, and a subgroup of two to six digits.
std::optional<std::string> joined(std::string_view subclass, std::string_view main_group, std::string_view subgroup) {
    main_group = trim(main_group);
    subgroup = trim(subgroup);
    if (main_group.empty() || !is_ascii_digits(main_group) || !is_ascii_digits(subgroup)) return std::nullopt;
    const std::string main = strip_leading_zeros(main_group);
    if (main == "0" || main.size() > 4 || subgroup.size() < 2 || subgroup.size() > 6) return std::nullopt;
    std::string symbol;
    symbol.reserve(subclass.size() + main.size() + 1 + subgroup.size());
    symbol.append(subclass).append(main).append(1, '/').append(subgroup);
    return symbol;
}

}  // namespace

std::optional<std::string> compact_ipc(std::string_view symbol) {
    symbol = trim(symbol);
    // An edition number before the symbol ("7H01L 21/00") is no part of it.
    std::size_t edition = 0;
    while (edition < symbol.size() && edition < 2 && is_ascii_digit(symbol[edition])) ++edition;
    if (edition > 0) symbol = trim_start(symbol.substr(edition));
    if (symbol.size() < 7 || !is_ipc_subclass(symbol.substr(0, 4))) return std::nullopt;
    const std::string_view rest = symbol.substr(4);
    if (const std::size_t slash = rest.find('/'); slash != std::string_view::npos)
        return joined(symbol.substr(0, 4), rest.substr(0, slash), rest.substr(slash + 1));
    // Fixed width: three columns of main group, then the subgroup.
    return joined(symbol.substr(0, 4), rest.substr(0, 3), rest.substr(3));
}

bool is_locarno_class(std::string_view text) {
    text = trim(text);
    if (text.size() == 5 && text[2] == '-') return is_ascii_digits(text.substr(0, 2)) && is_ascii_digits(text.substr(3));
    return text.size() == 4 && is_ascii_digits(text);
}

// ----- US classes ------------------------------------------------------------

namespace {

constexpr std::size_t class_width = 3;     // columns 1 to 3
constexpr std::size_t subclass_width = 3;  // columns 4 to 6: the subclass's whole number
constexpr std::size_t layout_width = class_width + subclass_width;

std::string_view skip_spaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return text;
}

// A number right-justified in its columns: spaces, then digits that are not
// all zeros, without the zeros in front.
std::optional<std::string> right_justified_number(std::string_view columns) {
    const std::string_view digits = skip_spaces(columns);
    if (digits.empty() || !is_ascii_digits(digits)) return std::nullopt;
    std::string number = strip_leading_zeros(digits);
    if (number == "0") return std::nullopt;
    return number;
}

// The class from its three columns: "2", "216", "D2", "D12", "PLT".
std::optional<std::string> us_class(std::string_view columns) {
    if (columns == "PLT" || columns == "Plt") return "PLT";
    const std::string_view text = skip_spaces(columns);
    if (text.empty() || text.front() != 'D') return right_justified_number(columns);
    std::optional<std::string> design = right_justified_number(text.substr(1));
    if (design) design->insert(0, 1, 'D');
    return design;
}

// What follows the whole number: decimal digits (after a point or not),
// then letters; spaces count for nothing and zeros that end the decimals
// only fill their columns.
std::optional<std::string> subclass_extension(std::string_view columns) {
    std::string text;
    for (char c : columns)
        if (c != ' ') text += c;
    const bool point = !text.empty() && text.front() == '.';
    const std::size_t at = point ? 1 : 0;
    std::size_t digits_end = at;
    while (digits_end < text.size() && is_ascii_digit(text[digits_end])) ++digits_end;
    std::string_view decimals = std::string_view(text).substr(at, digits_end - at);
    const std::string_view letters = std::string_view(text).substr(digits_end);
    if (point && decimals.empty()) return std::nullopt;
    for (char c : letters)
        if (c < 'A' || c > 'Z') return std::nullopt;
    while (!decimals.empty() && decimals.back() == '0') decimals.remove_suffix(1);
    std::string extension;
    if (!decimals.empty()) extension.append(1, '.').append(decimals);
    extension.append(letters);
    return extension;
}

// The subclass from column 4 on: "161A", "42.07", "E33.062", "DIG 1".
std::optional<std::string> us_subclass(std::string_view columns) {
    if (columns.size() < subclass_width) return std::nullopt;
    const std::string_view whole = columns.substr(0, subclass_width), rest = columns.substr(subclass_width);
    if (whole == "DIG" || whole == "FOR") {
        const std::optional<std::string> number = right_justified_number(rest);
        if (!number) return std::nullopt;
        return std::string(whole) + " " + *number;
    }
    std::string_view number_columns = skip_spaces(whole);
    const bool e_subclass = !number_columns.empty() && number_columns.front() == 'E';
    if (e_subclass) number_columns.remove_prefix(1);
    std::optional<std::string> number = right_justified_number(number_columns);
    const std::optional<std::string> extension = subclass_extension(rest);
    if (!number || !extension) return std::nullopt;
    if (e_subclass) number->insert(0, 1, 'E');
    return *number + *extension;
}

// The value without the white space around it, keeping the spaces that
// pad its columns in front. White space of another kind in front (a line
// break of a reformatted file) is no padding: then none is kept.
std::string_view padded_value(std::string_view written) {
    const std::string_view value = trim_end(written);
    const std::string_view unpadded = trim_start(value);
    const std::string_view padding = value.substr(0, value.size() - unpadded.size());
    return padding.find_first_not_of(' ') == std::string_view::npos ? value : unpadded;
}

}  // namespace

std::optional<std::string> uspc_class_subclass(std::string_view written) {
    std::string value(padded_value(written));
    // Digits alone too few for the columns have lost their padding.
    const std::string_view digits = trim(value);
    if (value.size() < layout_width && !digits.empty() && is_ascii_digits(digits))
        value = std::string(layout_width - digits.size(), ' ') + std::string(digits);
    const std::size_t dash = value.find('-');
    const std::string_view first = std::string_view(value).substr(0, dash);
    if (first.size() < layout_width) return std::nullopt;
    const std::optional<std::string> class_ = us_class(first.substr(0, class_width));
    std::optional<std::string> subclass = us_subclass(first.substr(class_width));
    if (!class_ || !subclass) return std::nullopt;
    if (dash != std::string::npos) {
        // The last subclass of a range is written in the same columns as the first's.
        const std::optional<std::string> last = us_subclass(std::string_view(value).substr(dash + 1));
        if (!last) return std::nullopt;
        *subclass += "-" + *last;
    }
    return *class_ + "/" + *subclass;
}

}  // namespace quillmark
