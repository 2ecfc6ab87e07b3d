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

// A US classification in the form the USPTO prints it, CLASS/SUBCLASS:
// "2/161A", "430/495.1", "D2/946", "PLT/471", "257/E33.062", "15/DIG 1".
// Every generation writes it in one fixed-width layout, padding aside:
// columns 1 to 3 the class, right-justified ("  2", "002", a design's
// "D 2", " D2" or "D02", the plant class "PLT"); columns 4 to 6 the whole
// number of the subclass, right-justified, an "E" before it or a "DIG" or
// "FOR" collection in its place; from column 7 the decimal digits and then
// letters, spaces ignored and the zeros that fill the decimals to their
// width dropped ("002006400" gives "2/6.4", "224 4207" "224/42.07"). A
// range of a field of search ("358  321-  322") gives both ends
// ("358/3.21-3.22"). A value of digits only shorter than the layout has
// lost its padding and is read right-justified ("4675" gives "4/675").
// Absent for a text the layout does not read: then no class is certain.
std::optional<std::string> uspc_class_subclass(std::string_view written);

// A Locarno design class as the grants write it: class and subclass of two
// digits each, "0204", or "02-04".
bool is_locarno_class(std::string_view text);

}  // namespace quillmark
