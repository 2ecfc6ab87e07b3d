#include "render/plain_characters.hpp"

#include <vector>

#include "model/text/entities.hpp"
#include "render/ascii_case.hpp"
#include "render/brace_notation.hpp"

namespace quillmark {

std::string plain_characters(std::string_view text) {
    std::string decoded;
    append_characters(decoded, text);
    if (decoded.find('{') == std::string::npos) return decoded;
    struct Open {
        BraceMark mark;
        std::size_t base_start;
    };
    std::vector<Open> open;
    std::string out;
    const std::string_view rest_of_all = decoded;
    for (std::size_t pos = 0; pos < decoded.size();) {
        const std::string_view rest = rest_of_all.substr(pos);
        if (rest[0] == '{') {
            if (const auto opening = brace_opening(rest)) {
                open.push_back({opening->mark, out.size()});
                pos += opening->length;
                continue;
            }
            if (starts_with_ignoring_case(rest, lone_square_root)) {
                out += square_root_sign;
                pos += lone_square_root.size();
                continue;
            }
        }
        if (!open.empty() && rest.starts_with(brace_closing)) {
            finish_brace_item(out, open.back().base_start, open.back().mark);
            open.pop_back();
            pos += brace_closing.size();
            continue;
        }
        out += rest[0];
        ++pos;
    }
    return out;
}

}  // namespace quillmark
