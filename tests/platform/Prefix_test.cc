#include "platform/Prefix.h"

#include <gtest/gtest.h>

#include "platform/Win32Error.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

TEST(PrefixTest, ConfiguredDrivesAreKeptInLetterOrder) {
    test::CTempPrefix prefix;  // the broken lines written first are ignored
    test::WriteLinuxFile(prefix.Path("drives.conf"),
                         "# x\n\nQ fixed /tmp\nR: fixed\nC: fixed /tmp\n");
    ASSERT_EQ(CPrefix::Use(prefix.GetDir()), 0);
    CPrefix& p = CPrefix::Current();
    ASSERT_EQ(p.AddDrive({'n', DRIVE_REMOTE, prefix.Path("share"), "\\\\server\\share"}), 0);
    ASSERT_EQ(p.AddDrive({'D', DRIVE_FIXED, "data dir", ""}), 0);
    ASSERT_EQ(p.AddDrive({'N', DRIVE_REMOTE, prefix.Path("share2"), "\\\\srv\\docs"}), 0);
    EXPECT_EQ(p.AddDrive({'C', DRIVE_FIXED, "/tmp", ""}), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(p.AddDrive({'1', DRIVE_FIXED, "/tmp", ""}), ERROR_INVALID_PARAMETER);

    // A second process (here: a fresh object on the same folder) reads the same drives.
    ASSERT_EQ(CPrefix::Use(prefix.GetDir()), 0);
    auto drives = CPrefix::Current().GetDrives();
    ASSERT_EQ(drives.size(), 4u);
    EXPECT_EQ(drives[1].m_cLetter, 'D');
    EXPECT_EQ(drives[1].m_strLinuxDir, prefix.Path("data dir"));
    EXPECT_EQ(drives[0].m_strLinuxDir, prefix.Path("drives/c"));
    CDriveInfo n;
    ASSERT_TRUE(CPrefix::Current().FindDrive('n', n));
    EXPECT_EQ(n.m_nType, DRIVE_REMOTE);
    EXPECT_EQ(n.m_strUncName, "\\\\srv\\docs");
    EXPECT_FALSE(CPrefix::Current().FindDrive('Q', n));
}

}  // namespace
}  // namespace tq
