#include "render/code_block.hpp"

namespace quillmark {

std::string fenced_block(std::string_view body, std::string_view info) {
    std::string fence = "```";
    while (body.find(fence) != std::string_view::npos) fence += '`';
    std::string out;
    out.reserve(body.size() + 2 * fence.size() + info.size() + 2);
    out += fence;
    out += info;
    out += '\n';
    out += body;
    out += '\n';
    out += fence;
    return out;
}

}  // namespace quillmark
