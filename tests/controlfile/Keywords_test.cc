#include "controlfile/Keywords.h"

#include <gtest/gtest.h>

namespace tq {
namespace {

TEST(KeywordsTest, TableOrderAndMatching) {
    // Spot checks of the table's order: the first, the switch words, the markers.
    EXPECT_EQ(Keyword(KW_GROUP), "Group");
    EXPECT_EQ(Keyword(KW_QUERY_LIST_FILE), "QueryListFile");
    EXPECT_EQ(Keyword(KW_DATE), "Date");
    EXPECT_EQ(Keyword(KW_PDF_SKIP_TITLE_FILE), "PDFSkipTitleFile");
    EXPECT_EQ(Keyword(KW_DISABLE), "Disable");
    EXPECT_EQ(Keyword(KW_PROGRAM_FILES), "Program Files");
    EXPECT_EQ(Keyword(KW_SEPARATOR), "###");
    EXPECT_EQ(Keyword(KW_QUERY_MARKER), "%%%");
    EXPECT_EQ(static_cast<size_t>(KW_COUNT), 41u);

    struct {
        const char* m_pszText;
        EKeyword m_kw;
        bool m_bIs, m_bStarts;
    } cases[] = {
        {"publicname", KW_PUBLIC_NAME, true, true},
        {"PUBLICNAME", KW_PUBLIC_NAME, true, true},
        {"PublicNam", KW_PUBLIC_NAME, false, false},
        {"RootPath3", KW_ROOT_PATH, false, true},
        {"Group12", KW_GROUP, false, true},
        {"Grou", KW_GROUP, false, false},
        {"Doc", KW_DOC_LIST_FILE, false, false},
        {"DocListFile", KW_DOC, false, true},
        {"yes", KW_YES, true, true},
        // Only ASCII letters fold: a double-byte character never equals a letter pair.
        {"\x82\x60pp", KW_YES, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsKeyword(c.m_pszText, c.m_kw), c.m_bIs) << c.m_pszText;
        EXPECT_EQ(StartsWithKeyword(c.m_pszText, c.m_kw), c.m_bStarts) << c.m_pszText;
    }
}

}  // namespace
}  // namespace tq
