// APS Green Book text, pass 2: the claims.
#pragma once

#include <optional>

#include "model/record/document.hpp"
#include "source/aps/records.hpp"

namespace quillmark::aps {

// Present only when it holds at least one claim.
std::optional<ClaimsSection> build_claims(const ApsRecords& records);

}  // namespace quillmark::aps
