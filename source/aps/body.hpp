// APS Green Book text, pass 2: the abstract and the description.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/record/document.hpp"
#include "source/aps/records.hpp"

namespace quillmark::aps {


// Present only when the segment "ABST" yields at least one paragraph.
std::optional<AbstractSection> build_abstract(const ApsRecords& records);

// Present only when one of "BSUM", "DRWD", "DETD" has records.
std::optional<DescriptionSection> build_description(const ApsRecords& records);

// The indent level that a record code carries: 0 to 3 for "PA0" to "PA3".
std::optional<std::uint32_t> paragraph_level(std::string_view code);

}  // namespace quillmark::aps
