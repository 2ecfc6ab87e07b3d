#include "render/aps_symbols.hpp"

#include <algorithm>
#include <array>

namespace quillmark {

namespace {

struct Symbol {
    std::string_view name;
    std::string_view text;
};

constexpr std::array<Symbol, 36> symbols = {{
    {"+-", "\u00b1"},     {"-+", "\u2213"},     {"degree", "\u00b0"}, {"times", "\u00d7"},  {"div", "\u00f7"},
    {"ltoreq", "\u2264"}, {"gtoreq", "\u2265"}, {"alpha", "\u03b1"},  {"beta", "\u03b2"},   {"gamma", "\u03b3"},
    {"delta", "\u03b4"},  {"epsilon", "\u03b5"}, {"zeta", "\u03b6"},  {"eta", "\u03b7"},    {"theta", "\u03b8"},
    {"kappa", "\u03ba"},  {"lambda", "\u03bb"}, {"mu", "\u03bc"},     {"nu", "\u03bd"},     {"xi", "\u03be"},
    {"pi", "\u03c0"},     {"rho", "\u03c1"},    {"sigma", "\u03c3"},  {"tau", "\u03c4"},    {"phi", "\u03c6"},
    {"chi", "\u03c7"},    {"psi", "\u03c8"},    {"omega", "\u03c9"},  {"GAMMA", "\u0393"},  {"DELTA", "\u0394"},
    {"THETA", "\u0398"},  {"LAMBDA", "\u039b"}, {"PI", "\u03a0"},     {"SIGMA", "\u03a3"},  {"PHI", "\u03a6"},
    {"OMEGA", "\u03a9"},
}};

}  // namespace

std::optional<std::string_view> aps_symbol(std::string_view name) {
    const auto found = std::find_if(symbols.begin(), symbols.end(), [name](const Symbol& symbol) { return symbol.name == name; });
    if (found == symbols.end()) return std::nullopt;
    return found->text;
}

}  // namespace quillmark
