#include "model/record/serialise.hpp"

#include "model/text/entities.hpp"

namespace quillmark {

namespace {

void append_qualified(std::string& out, const std::optional<std::string_view>& prefix, std::string_view name) {
    if (prefix) {
        out += *prefix;
        out += ':';
    }
    out += name;
}

}  // namespace

void append_serialised(std::string& out, Node::Ref node) {
    if (node.kind() == Node::Kind::Text) {
        append_decoded(out, node.text_value());
        return;
    }
    out += '<';
    out += node.qualified_name();
    for (const AttributeView& attribute : node.attributes()) {
        out += ' ';
        append_qualified(out, attribute.prefix, attribute.name);
        out += "=\"";
        out += attribute.value;
        out += '"';
    }
    out += '>';
    for (Node::Ref child : node.children()) append_serialised(out, child);
    out += "</";
    out += node.qualified_name();
    out += '>';
}

std::string serialise_node(Node::Ref node) {
    std::string out;
    append_serialised(out, node);
    return out;
}

}  // namespace quillmark
