#include <gtest/gtest.h>

#include <vector>

#include "bulk/input_names.hpp"

namespace quillmark::bulk {
namespace {

TEST(InputNames, ArchiveKindFollowsTheLastExtensionsInAnyCase) {
    const std::vector<std::pair<std::string_view, std::optional<ArchiveKind>>> cases = {
        {"ipg180123.zip", ArchiveKind::Zip},    {"IPG180123.ZIP", ArchiveKind::Zip},
        {"a.tar", ArchiveKind::Tar},            {"a.tar.gz", ArchiveKind::Tar},
        {"a.TGZ", ArchiveKind::Tar},            {"a.Tar.Gz", ArchiveKind::Tar},
        {"a.xml.gz", ArchiveKind::Gzip},        {"gz", std::nullopt},
        {"a.xml", std::nullopt},                {"a.zip.xml", std::nullopt},
        {"a.tar.bz2", std::nullopt},            {"", std::nullopt},
    };
    for (const auto& [name, kind] : cases) EXPECT_EQ(archive_kind(name), kind) << name;
}

TEST(InputNames, DirectorySearchTakesFullTextArchivesAndCompressedFullText) {
    for (std::string_view name : {"a.xml", "b.TXT", "c.aps", "d.zip", "e.tar", "f.tgz", "g.tar.gz", "h.xml.gz",
                                  "i.TXT.GZ"})
        EXPECT_TRUE(is_searched_input_name(name)) << name;
    for (std::string_view name : {"a.pdf", "server.log.gz", ".gz", "xml", "a.xmlx", "notes.gz"})
        EXPECT_FALSE(is_searched_input_name(name)) << name;
}

}  // namespace
}  // namespace quillmark::bulk
