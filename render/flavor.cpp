#include "render/flavor.hpp"

#include "render/body.hpp"
#include "render/front_matter.hpp"
#include "render/gfm_body.hpp"
#include "render/gfm_front_matter.hpp"

namespace quillmark {

namespace {

constexpr std::array<FlavorEntry, 2> table = {{
    {Flavor::Default, "default",
     {render_front_matter, render_title, render_abstract, render_description, render_claims}},
    {Flavor::Gfm, "gfm",
     {render_gfm_front_matter, render_gfm_title, render_gfm_abstract, render_gfm_description, render_gfm_claims}},
}};

}  // namespace

std::span<const FlavorEntry> flavors() { return table; }

const FlavorEntry& flavor_entry(Flavor flavor) {
    for (const FlavorEntry& entry : table)
        if (entry.flavor == flavor) return entry;
    return table.front();
}

std::optional<Flavor> flavor_named(std::string_view name) {
    for (const FlavorEntry& entry : table)
        if (entry.name == name) return entry.flavor;
    return std::nullopt;
}

std::string flavor_choices(std::string_view quote, std::string_view last) {
    std::string choices;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (i > 0) choices += i + 1 == table.size() ? last : ", ";
        choices.append(quote).append(table[i].name).append(quote);
    }
    return choices;
}

std::string unknown_flavor_message(std::string_view name) {
    std::string message = "unknown Markdown flavor '";
    message += name;
    message += "'; expected ";
    message += flavor_choices("'", ", ");
    message += " or None (the default layout)";
    return message;
}

}  // namespace quillmark
