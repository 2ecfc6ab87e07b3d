// APS Green Book text, pass 2: the Bibliographic section of a grant.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/record/document.hpp"
#include "source/aps/records.hpp"

namespace quillmark::aps {

struct PatentNumber {
    std::string doc_number;
    OptionalText kind;
};

// "WKU" to number and kind, the kind the patent carried when it issued
// on `issue_date` ("ISD"): "039305847" gives "3930584" and "A" before 2001,
// "B1" from 2001; "D02512345" gives "D251234" and "S"; "RE0302843" gives
// "RE30284" and "E".
PatentNumber normalise_wku(std::string_view wku, const OptionalText& issue_date);

// "APN": the six-digit serial number of "5184541" (its seventh character
// is a check character, not always a digit: "500649&"). A value of another
// shape is trimmed, and its last character dropped when that is neither an
// ASCII digit nor an ASCII letter and everything before it is ASCII digits.
std::string normalise_apn(std::string_view apn);

// "SRC": the application's two-digit series code ("5" gives "05"); a
// design application's is "29", whichever way "SRC" writes it.
OptionalText series_code(std::string_view src, bool design);

struct PersonName {
    OptionalText family_name;
    OptionalText given_name;
};

// An inventor's "NAM": family name before the first ";", given name after.
PersonName split_inventor_name(std::string_view name);

// The Bibliographic section, or nothing when "PATN" has no usable "WKU".
std::optional<BibliographicSection> build_bibliographic(const ApsRecords& records);

}  // namespace quillmark::aps
