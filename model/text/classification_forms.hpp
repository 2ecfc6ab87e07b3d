// The forms classification symbols take across the USPTO generations, and
// the one form the getters give them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillmark {

// An IPC symbol in its compact form, "G06F7/28": section, class and
// subclass, the main group without padding zeros, a slash and the subgroup.
// Reads the fixed-width form of APS, v2.5 and v4.0 ("G06F  728": main group
// right-justified in columns 5 to 7, subgroup from column 8), main groups
// padded with zeros ("D21C011/12") and slash forms with spaces
// ("G06F 7/28"), after an edition number or not ("7H01L 21/00"). Absent
// for a text that is none of these.
std::optional<std::string> compact_ipc(std::string_view symbol);

// A Locarno design class as the grants write it: class and subclass of two
// digits each, "0204", or "02-04".
bool is_locarno_class(std::string_view text);

}  // namespace quillmark
