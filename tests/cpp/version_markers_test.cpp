#include "source/version_markers.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace quillmark {
namespace {

struct Marker {
    std::string text;
    std::function<bool(const VersionMarkers&)> found;
};

// Every flag of the record, so a test can check that nothing else was set.
int flags_set(const VersionMarkers& m) {
    int count = m.pap_v15_dtd + m.pap_v16 + m.st32_grant_dtd + m.dtd_2_5 + m.dtd_version_v40 + m.doctype_application +
                m.doctype_grant + m.doctype_patdoc;
    for (bool flag : m.application_v4) count += flag;
    for (bool flag : m.grant_v4) count += flag;
    for (bool flag : m.dtd_version_v4_dot) count += flag;
    return count;
}

const Marker markers[] = {
    {"pap-v15-2001-01-31.dtd", [](const VersionMarkers& m) { return m.pap_v15_dtd; }},
    {"pap-v16", [](const VersionMarkers& m) { return m.pap_v16; }},
    {"ST32-US-Grant-025xml.dtd", [](const VersionMarkers& m) { return m.st32_grant_dtd; }},
    {"DTD=\"2.5\"", [](const VersionMarkers& m) { return m.dtd_2_5; }},
    {"us-patent-application-v44", [](const VersionMarkers& m) { return m.application_v4[4]; }},
    {"us-patent-grant-v47", [](const VersionMarkers& m) { return m.grant_v4[7]; }},
    {"dtd-version=\"v4.6", [](const VersionMarkers& m) { return m.dtd_version_v4_dot[6]; }},
    {"dtd-version=\"v40", [](const VersionMarkers& m) { return m.dtd_version_v40; }},
    {"<!DOCTYPE us-patent-application", [](const VersionMarkers& m) { return m.doctype_application; }},
    {"<!DOCTYPE us-patent-grant", [](const VersionMarkers& m) { return m.doctype_grant; }},
    {"<!DOCTYPE PATDOC", [](const VersionMarkers& m) { return m.doctype_patdoc; }},
};

// Each marker at every offset over two blocks of the widest scan, in texts of
// every length around it, so that it starts, ends and straddles a block in
// each scan and in the byte-by-byte tail. The filler holds the first bytes
// of pairs without their second ones.
TEST(VersionMarkers, EachMarkerIsFoundAtEveryOffset) {
    for (const Marker& marker : markers) {
        for (std::size_t offset = 0; offset <= 70; ++offset) {
            for (std::size_t after : {0u, 1u, 15u, 16u, 31u, 33u}) {
                std::string text;
                for (std::size_t i = 0; i < offset; ++i) text += "vTxD<"[i % 5];
                text += marker.text;
                text.append(after, 'v');
                const VersionMarkers found = scan_version_markers(text);
                EXPECT_TRUE(marker.found(found)) << marker.text << " at " << offset << " with " << after << " after";
                EXPECT_EQ(flags_set(found), 1) << marker.text << " at " << offset;
            }
        }
    }
}

TEST(VersionMarkers, MarkersCutShortAreNotFound) {
    for (const Marker& marker : markers) {
        const std::string cut = marker.text.substr(0, marker.text.size() - 1);
        for (std::size_t offset : {0u, 15u, 31u, 40u}) {
            const std::string text = std::string(offset, ' ') + cut;
            EXPECT_EQ(flags_set(scan_version_markers(text)), 0) << cut << " at " << offset;
        }
    }
}

}  // namespace
}  // namespace quillmark
