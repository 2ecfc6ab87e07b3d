// APS Green Book text, pass 2: the Bibliographic section of a grant.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/document.hpp"
#include "source/aps/records.hpp"

namespace quillmark::aps {

struct PatentNumber {
    std::string doc_number;
    OptionalText kind;
};

// "WKU" to number and kind: "039305847" gives "3930584" and "B1",
// "D02512345" gives "D251234" and "S", "RE0302843" gives "RE30284" and "E".
PatentNumber normalise_wku(std::string_view wku);

// "APN": trimmed; a last character that is neither an ASCII digit nor an
// ASCII letter is dropped when everything before it is ASCII digits.
std::string normalise_apn(std::string_view apn);

struct PersonName {
    OptionalText family_name;
    OptionalText given_name;
};

// An inventor's "NAM": family name before the first ";", given name after.
PersonName split_inventor_name(std::string_view name);

// The Bibliographic section, or nothing when "PATN" has no usable "WKU".
std::optional<BibliographicSection> build_bibliographic(const ApsRecords& records);

}  // namespace quillmark::aps
