#include "source/xml/xml_tree.hpp"

#include "source/parse_workspace.hpp"

namespace quillmark {

namespace {

// The tables of the last tree freed on this thread, cleared, while a
// ParseWorkspace lives there and they are no larger than this.
constexpr std::size_t spare_limit = 4u << 20;

struct SpareTables {
    std::vector<XmlNodeRecord> nodes;
    std::vector<XmlAttributeRecord> attributes;
    ByteBuffer strings;
};
thread_local SpareTables spare;
thread_local unsigned workspaces = 0;

}  // namespace

ParseWorkspace::ParseWorkspace() noexcept { ++workspaces; }

ParseWorkspace::~ParseWorkspace() {
    if (--workspaces == 0) spare = SpareTables{};
}

XmlTree::~XmlTree() {
    const std::size_t bytes = nodes_.capacity() * sizeof(XmlNodeRecord) +
                              attributes_.capacity() * sizeof(XmlAttributeRecord) + strings_.capacity();
    if (workspaces == 0 || bytes == 0 || bytes > spare_limit) return;
    nodes_.clear();
    attributes_.clear();
    strings_.clear();
    spare.nodes = std::move(nodes_);
    spare.attributes = std::move(attributes_);
    spare.strings = std::move(strings_);
}

std::optional<std::string_view> XmlTree::attribute_value(XmlId id, std::string_view name) const {
    if (!is_element(id)) return std::nullopt;
    const XmlNodeRecord& node = nodes_[id];
    for (std::uint32_t i = 0; i < node.text.length; ++i) {
        const XmlAttributeRecord& a = attributes_[node.text.offset + i];
        if (local_part(a.name, a.prefix_length) == name) return view(a.value);
    }
    return std::nullopt;
}

std::size_t XmlTree::attribute_bytes(XmlId id) const {
    std::size_t bytes = 0;
    const std::size_t first = nodes_[id].text.offset;
    for (std::size_t i = first, end = first + attribute_count(id); i < end; ++i)
        bytes += attributes_[i].name.length + attributes_[i].value.length;
    return bytes;
}

XmlTreeBuilder::XmlTreeBuilder(std::string_view text) {
    tree_.nodes_ = std::move(spare.nodes);
    tree_.attributes_ = std::move(spare.attributes);
    tree_.strings_ = std::move(spare.strings);
    // USPTO XML holds about one node per 30 bytes; reserving for one per 8
    // avoids regrowing the table, and pages never written cost nothing.
    tree_.strings_.reserve(text.size());
    tree_.nodes_.reserve(text.size() / 8 + 16);
    tree_.nodes_.emplace_back();                        // id 0: no node
    tree_.nodes_.emplace_back();                        // id 1: the document (the default kind)
    open_.push_back({tree_.document(), no_node});
}

void XmlTreeBuilder::add_comment(std::string_view text) {
    XmlNodeRecord record;
    record.kind = XmlKind::Comment;
    record.text = store(text);
    append_node(record);
}

void XmlTreeBuilder::add_processing_instruction(std::string_view target, const std::optional<std::string_view>& data) {
    XmlNodeRecord record;
    record.kind = XmlKind::ProcessingInstruction;
    record.name = store(target);
    if (data) {
        record.flags |= XmlNodeRecord::has_text;
        record.text = store(*data);
    }
    append_node(record);
}

void XmlTreeBuilder::add_entity_reference(std::string_view name, const std::optional<std::string_view>& replacement) {
    XmlNodeRecord record;
    record.kind = XmlKind::EntityReference;
    record.name = store(name);
    if (replacement) {
        record.flags |= XmlNodeRecord::has_text;
        record.text = store(*replacement);
    }
    append_node(record);
}

XmlTree XmlTreeBuilder::finish() { return std::move(tree_); }

}  // namespace quillmark
