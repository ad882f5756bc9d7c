// Replays the .reg importer's fuzz corpus (fuzz/corpus/regfile) as an ordinary test, with the
// fuzz target's oracle: every input that ever mattered to the fuzzer keeps being checked
// without clang. Files named bad_* must be refused, all others imported.
#include <gtest/gtest.h>

#include <string>

#include "../../fuzz/RegFileOracle.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

TEST(RegFileCorpusTest, EveryCorpusFileKeepsTheImporterSound) {
    test::CTempPrefix prefix;
    fuzz::CRegFileOracle oracle;
    ASSERT_EQ(ERROR_SUCCESS, oracle.Init());
    const auto files = test::ReadCorpus("regfile");
    size_t nRefused = 0;
    for (const auto& file : files) {
        int32_t lImport = -1;
        EXPECT_EQ(oracle.Check(file.m_strBytes, &lImport), "") << file.m_strName;
        bool bBad = file.m_strName.rfind("bad_", 0) == 0;
        EXPECT_EQ(bBad, lImport != ERROR_SUCCESS) << file.m_strName << " gave " << lImport;
        nRefused += lImport != ERROR_SUCCESS;
    }
    EXPECT_GT(files.size(), 20u);
    EXPECT_GT(nRefused, 10u);
}

// The oracle itself must see a broken round trip and a failed import that changed something;
// otherwise the replay above would pass whatever the importer does.
TEST(RegFileCorpusTest, OracleSeesRegistryChangesAndRestoresTheStart) {
    test::CTempPrefix prefix;
    fuzz::CRegFileOracle oracle;
    ASSERT_EQ(ERROR_SUCCESS, oracle.Init());
    fuzz::CRegSnapshot start;
    ASSERT_EQ(ERROR_SUCCESS, fuzz::TakeSnapshot(start));

    EXPECT_EQ(oracle.Check("REGEDIT4\r\n[HKEY_CURRENT_USER\\a\\b]\r\n\"v\"=\"x\"\r\n"), "");
    fuzz::CRegSnapshot after;
    ASSERT_EQ(ERROR_SUCCESS, fuzz::TakeSnapshot(after));
    EXPECT_EQ(after, start) << "a check must leave the registry as it found it";

    // A change made behind the oracle's back is what a failed import that wrote would leave.
    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, "Stray", KEY_ALL_ACCESS));
    EXPECT_NE(oracle.Check("not a registry file"), "");
    ASSERT_EQ(ERROR_SUCCESS, fuzz::TakeSnapshot(after));
    EXPECT_EQ(after, start);
}

TEST(RegFileCorpusTest, SnapshotRestoreKeepsValuesAndRootsExactly) {
    test::CTempPrefix prefix;
    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_LOCAL_MACHINE, "", KEY_ALL_ACCESS));
    ASSERT_EQ(ERROR_SUCCESS, key.SetValue("root", 0x12345678, "\0\x81", 2));
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_USERS, "u\\v", KEY_ALL_ACCESS));
    ASSERT_EQ(ERROR_SUCCESS, key.SetValue("", REG_SZ, "t", 1));
    fuzz::CRegSnapshot before, cleared, restored;
    ASSERT_EQ(ERROR_SUCCESS, fuzz::TakeSnapshot(before));
    ASSERT_EQ(ERROR_SUCCESS, fuzz::ClearRegistry());
    ASSERT_EQ(ERROR_SUCCESS, fuzz::TakeSnapshot(cleared));
    EXPECT_EQ(cleared.size(), 3u) << "the three empty hive roots";
    for (const auto& entry : cleared) {
        EXPECT_TRUE(entry.m_strPath.empty() && entry.m_values.empty());
    }
    ASSERT_EQ(ERROR_SUCCESS, fuzz::RestoreSnapshot(before));
    ASSERT_EQ(ERROR_SUCCESS, fuzz::TakeSnapshot(restored));
    EXPECT_EQ(restored, before);
}

}  // namespace
}  // namespace tq
