// Which USPTO DTD and version markers occur anywhere in a text, found in one
// pass instead of one substring search per marker.
#pragma once

#include <string_view>

namespace quillmark {

struct VersionMarkers {
    bool pap_v15_dtd = false;          // pap-v15-2001-01-31.dtd
    bool pap_v16 = false;              // pap-v16
    bool st32_grant_dtd = false;       // ST32-US-Grant-025xml.dtd
    bool dtd_2_5 = false;              // DTD="2.5"
    bool application_v4[7] = {};       // us-patent-application-v40 .. v46
    bool grant_v4[8] = {};             // us-patent-grant-v40 .. v47
    bool dtd_version_v4_dot[8] = {};   // dtd-version="v4.0 .. "v4.7
    bool dtd_version_v40 = false;      // dtd-version="v40
    bool doctype_application = false;  // <!DOCTYPE us-patent-application
    bool doctype_grant = false;        // <!DOCTYPE us-patent-grant
    bool doctype_patdoc = false;       // <!DOCTYPE PATDOC
};

VersionMarkers scan_version_markers(std::string_view text);

}  // namespace quillmark
