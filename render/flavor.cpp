#include "render/flavor.hpp"

namespace quillmark {

std::optional<Flavor> flavor_named(std::string_view name) {
    if (name == "gfm") return Flavor::Gfm;
    return std::nullopt;
}

std::string unknown_flavor_message(std::string_view name) {
    std::string message = "unknown Markdown flavor '";
    message += name;
    message += "'; expected None (the default layout) or 'gfm'";
    return message;
}

}  // namespace quillmark
