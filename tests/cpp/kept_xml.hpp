// Kept XML for the converter tests, from a small XML text: elements,
// double-quoted attributes and text (entity references kept as written,
// as the readers keep them), the elements of the shared standards (CALS,
// MathML) with their roles. Only what the tests write is understood.
#pragma once

#include <string>
#include <string_view>

#include "model/record/node.hpp"
#include "source/xml/element_roles.hpp"

namespace quillmark::testing {

inline Node kept_xml(std::string_view xml) {
    EntryTable table;
    NodeWriter writer(table);
    std::size_t pos = 0;
    while (pos < xml.size()) {
        if (xml[pos] != '<') {
            const std::size_t end = std::min(xml.find('<', pos), xml.size());
            writer.add_text({xml.substr(pos, end - pos)});
            pos = end;
            continue;
        }
        const std::size_t close = xml.find('>', pos);
        std::string_view tag = xml.substr(pos + 1, close - pos - 1);
        pos = close + 1;
        if (tag.starts_with('/')) {
            writer.end_element();
            continue;
        }
        const bool empty = tag.ends_with('/');
        if (empty) tag.remove_suffix(1);
        const std::size_t name_end = std::min(tag.find(' '), tag.size());
        const std::string_view name = tag.substr(0, name_end);
        writer.start_element(name, std::nullopt, role_of(RoleTable{}, name));
        std::string_view rest = tag.substr(name_end);
        while (true) {
            const std::size_t equals = rest.find("=\"");
            if (equals == std::string_view::npos) break;
            const std::size_t name_start = rest.find_first_not_of(' ');
            const std::size_t value_end = rest.find('"', equals + 2);
            writer.add_attribute(rest.substr(name_start, equals - name_start), std::nullopt,
                                 rest.substr(equals + 2, value_end - equals - 2));
            rest = rest.substr(value_end + 1);
        }
        if (empty) writer.end_element();
    }
    return Node(std::move(table));
}

}  // namespace quillmark::testing
