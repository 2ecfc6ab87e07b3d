#include "render/plain_characters.hpp"

#include "model/text/entities.hpp"
#include "render/brace_notation.hpp"

namespace quillmark {

std::string plain_characters(std::string_view text) {
    std::string decoded;
    append_characters(decoded, text);
    if (decoded.find('{') == std::string::npos) return decoded;
    BraceItems braces;
    std::string out;
    const std::string_view all = decoded;
    for (std::size_t pos = 0; pos < all.size();) {
        if (const std::size_t used = braces.read(out, all.substr(pos))) {
            pos += used;
            continue;
        }
        out += all[pos];
        ++pos;
    }
    braces.keep_unclosed(out);
    return out;
}

}  // namespace quillmark
