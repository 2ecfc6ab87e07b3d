#include "model/serialise.hpp"

#include "model/entities.hpp"

namespace quillmark {

namespace {

void append_qualified(std::string& out, const OptionalString& prefix, const std::string& name) {
    if (prefix) {
        out += *prefix;
        out += ':';
    }
    out += name;
}

}  // namespace

void append_serialised(std::string& out, const Node& node) {
    if (node.kind == Node::Kind::Text) {
        append_decoded(out, node.text_value());
        return;
    }
    out += '<';
    append_qualified(out, node.prefix, node.name);
    for (const Attribute& attribute : node.attributes) {
        out += ' ';
        append_qualified(out, attribute.prefix, attribute.name);
        out += "=\"";
        out += attribute.value;
        out += '"';
    }
    out += '>';
    for (const Node& child : node.children) append_serialised(out, child);
    out += "</";
    append_qualified(out, node.prefix, node.name);
    out += '>';
}

std::string serialise_node(const Node& node) {
    std::string out;
    append_serialised(out, node);
    return out;
}

}  // namespace quillmark
