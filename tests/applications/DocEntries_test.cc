#include <gtest/gtest.h>

#include "LoadedProduct.h"
#include "resources/ErrorCodes.h"

namespace tq {
namespace {

class DocEntriesTest : public test::LoadedProductTest {
protected:
    CtrlStringList& Docs() { return Db(2).m_docs; }
};

TEST_F(DocEntriesTest, AddNamesTheDatabaseUnlessThePathDoesAndRefusesTwins) {
    EXPECT_EQ(m_file.AddDoc(2, "C:\\a.chm"), 0);
    EXPECT_EQ(m_file.AddDoc(2, "C:\\b.chm > Elsewhere"), 0);
    EXPECT_EQ(m_file.AddDoc(2, "<WINDOWS>\\help\\c.hlp"), 0);
    EXPECT_EQ(m_file.AddDoc(2, "C:\\d.pdf|2 "), 0);
    EXPECT_EQ(Docs(), (CtrlStringList{"C:\\Docs\\my.chm > MyApp", "C:\\a.chm > MyApp",
                                      "C:\\b.chm > Elsewhere", "<WINDOWS>\\help\\c.hlp > MyApp",
                                      "C:\\d.pdf|2  > MyApp"}));
    EXPECT_NE(Db(2).m_dwState & DBSTATE_REBUILD, 0u);
    EXPECT_EQ(m_file.m_dwModified, 1u);
    for (const char* twin : {"c:\\A.CHM", "C:\\b.chm", "C:\\WINDOWS\\HELP\\C.HLP",
                             "C:\\docs\\my.chm > Other", "C:\\d.pdf|7"}) {
        EXPECT_EQ(m_file.AddDoc(2, twin), TQE_ALREADY_REGISTERED) << twin;
    }
    EXPECT_EQ(Docs().size(), 5u);
    EXPECT_EQ(m_file.AddDoc(9, "C:\\x.chm"), TQE_DB_NUMBER);
}

TEST_F(DocEntriesTest, PathsWithControlCharactersAreRefused) {
    // Written out, such a path would end its line and begin a section of its own.
    for (const char* bad : {"C:\\a.chm\r\n[Evil]\r\nGroup = 1", "C:\\a\nb.chm", "C:\\a\x1F.chm"}) {
        EXPECT_EQ(m_file.AddDoc(2, bad), TQE_CONTROL_CHAR);
        EXPECT_EQ(m_file.RemoveDoc(2, bad), TQE_CONTROL_CHAR);
    }
    EXPECT_EQ(Docs().size(), 1u);
    EXPECT_EQ(m_file.m_dwModified, 0u);
    EXPECT_EQ(Db(2).m_dwState, 0u);
}

TEST_F(DocEntriesTest, RemoveTakesTheFirstEntryWithThatPath) {
    Docs() = {"<WINDOWS>\\h.hlp > MyApp", "C:\\a.chm > MyApp", "C:\\A.chm > Other"};
    EXPECT_EQ(m_file.RemoveDoc(2, "C:\\x.chm"), TQE_DOC_NOT_REGISTERED);
    EXPECT_EQ(m_file.m_dwModified, 0u);
    EXPECT_EQ(m_file.RemoveDoc(2, "c:\\a.chm"), 1);
    EXPECT_EQ(Docs(), (CtrlStringList{"<WINDOWS>\\h.hlp > MyApp", "C:\\A.chm > Other"}));
    EXPECT_EQ(m_file.RemoveDoc(2, "C:\\WINDOWS\\H.HLP > Whatever"), 0);
    EXPECT_EQ(Docs(), CtrlStringList{"C:\\A.chm > Other"});
    EXPECT_NE(Db(2).m_dwState & DBSTATE_REBUILD, 0u);
}

TEST_F(DocEntriesTest, DisplayPaths) {
    Docs() = {"C:\\a.chm > MyApp", "<WINDOWS>\\b.hlp > MyApp", "C:\\c.pdf|topic > MyApp",
              "<WINDOWS>\\d.chm|t > MyApp", "C:\\e.txt"};
    const char* expected[] = {"C:\\a.chm", "C:\\WINDOWS\\b.hlp", "C:\\c.pdf", "<WINDOWS>\\d.chm",
                              "C:\\e.txt"};
    for (int32_t i = 0; i < 5; ++i) {
        std::string path;
        EXPECT_EQ(m_file.GetDocDisplayPath(2, i, path), 0);
        EXPECT_EQ(path, expected[i]);
    }
    std::string path = "untouched";
    EXPECT_EQ(m_file.GetDocDisplayPath(2, 5, path), TQE_NUMBER);
    EXPECT_EQ(m_file.GetDocDisplayPath(2, -1, path), TQE_NUMBER);
    EXPECT_EQ(path, "untouched");
    EXPECT_EQ(m_file.GetDocCount(2), 5);
}

}  // namespace
}  // namespace tq
