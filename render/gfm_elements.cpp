#include "render/gfm_elements.hpp"

namespace quillmark {

std::string_view statement_heading(ElementRole role) {
    switch (role) {
        case ElementRole::CrossReferenceStatement: return cross_reference_statement;
        case ElementRole::GovernmentInterestStatement: return government_interest_statement;
        default: return {};
    }
}

}  // namespace quillmark
