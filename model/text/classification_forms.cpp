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

}  // namespace quillmark
