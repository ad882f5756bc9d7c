#include "resources/StringTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/SupportSystem.h"

namespace tq {
namespace {

// The ids of resources/strings.txt, in its order: the texts the code names.
std::vector<uint32_t> SourceIds() {
    std::ifstream in(test::SourceDir() / "src/resources/strings.txt");
    std::vector<uint32_t> ids;
    for (std::string line; std::getline(in, line);) {
        ids.push_back(static_cast<uint32_t>(std::stoul(line.substr(0, line.find('\t')))));
    }
    return ids;
}

template <typename... T>
std::vector<uint32_t> Ids(T... ids) {
    return {static_cast<uint32_t>(ids)...};
}

// Each name stands for the text written for it, in the source's order; a name that pointed at
// another text or at none would break the order or leave an id unnamed. (That the table holds
// the source's texts, and only those, is the generator's check.)
TEST(StringTableTest, EveryNamedIdHasItsTextAndNoOtherIdHasOne) {
    std::vector<uint32_t> named = Ids(
        IDS_LOG_BAD_LINE, IDS_LOG_BAD_LINE_IN, IDS_LOG_SKIPPED, IDS_LOG_SKIPPED_IN, IDS_LOG_START,
        IDS_LOG_GROUPS, IDS_LOG_DBNAME_INVALID, IDS_LOG_DBNAME_TWICE, IDS_LOG_NO_GROUP,
        IDS_LOG_PDFSKIP_MISSING, IDS_LOG_DOCLIST_MISSING, IDS_LOG_NO_DOCS,
        IDS_LOG_ROOTORG_NO_REGKEY, IDS_LOG_EXEORG_NO_EXEKEY, IDS_LOG_REGENTRY_NO_REGKEY,
        IDS_LOG_RENAMES_DAMAGED, IDS_LOG_RENAMES_NEWER, IDS_LOG_RENAME_DROPPED, IDS_ENTER_APP_NAME,
        IDS_SPECIFY_TARGETS, IDS_APP_EXISTS, IDS_FILE_NO_TOPICS, IDS_APP_NAME_UNUSABLE,
        IDS_APP_NAME_CONTROL, IDS_CONFIRM_EDITED, IDS_CONFIRM_REMOVE_APP, IDS_CONFIRM_SELECTED);
    for (uint32_t id = IDS_LEFT_OUT; id <= IDS_LEFT_OUT_MORE; ++id) {  // the note on files left out
        named.push_back(id);
    }
    named.push_back(IDS_READONLY_PROPERTY);
    EXPECT_EQ(named, SourceIds());
    EXPECT_STREQ(LoadString(IDS_LOG_START), "OutputLogStart %1");
    EXPECT_EQ(LoadString(IDS_LOG_BAD_LINE_IN + 1), nullptr);  // no text between the named ids
}

}  // namespace
}  // namespace tq
