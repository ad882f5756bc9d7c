// The paths of the Linux emulation: Windows paths resolved through the prefix's drives, the
// drives it configures and their types, and the remote drives' universal names.
#include <gtest/gtest.h>


#include "platform/Cp932.h"
#include "platform/Path.h"
#include "platform/Win32Error.h"
#include "platform/posix/Prefix.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

// "ソフト" in code page 932: its first character's second byte is 0x5C, the backslash.
const std::string kSoftCp932 = "\x83\x5C\x83\x74\x83\x67";
const std::string kSoftUtf8 = "\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88";

class PathTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string& rel : std::vector<std::string>{
                 "drives/c/Program Files/Orban/Data.TXT", "drives/c/" + kSoftUtf8 + "/a.txt",
                 "drives/c/twins/abc", "drives/c/twins/ABC", "share/docs/manual.pdf"}) {
            test::WriteLinuxFile(m_prefix.Path(rel), "x");
        }
        ASSERT_EQ(CPrefix::Current().AddDrive(
                      {'N', DRIVE_REMOTE, m_prefix.Path("share"), "\\\\server\\share"}),
                  0);
        ASSERT_EQ(SetCurrentDirectory("C:\\WINDOWS"), 0);
    }

    test::CTempPrefix m_prefix;
};

TEST_F(PathTest, ResolvesComponentsIgnoringCaseAndKeepsMissingOnesAsWritten) {
    const std::pair<std::string, std::string> cases[] = {
        {"c:\\PROGRAM FILES\\orban\\data.txt", "drives/c/Program Files/Orban/Data.TXT"},
        {"C:/program files/ORBAN/", "drives/c/Program Files/Orban"},
        {"C:\\Program Files\\New Dir\\New.txt", "drives/c/Program Files/New Dir/New.txt"},
        {"C:\\" + kSoftCp932 + "\\A.TXT", "drives/c/" + kSoftUtf8 + "/a.txt"},
        {"C:\\twins\\Abc", "drives/c/twins/ABC"},  // of two spellings the bytewise smallest
        {"C:\\twins\\abc", "drives/c/twins/abc"},  // an exact spelling wins
        {"C:", "drives/c/WINDOWS"},
        {"C:\\", "drives/c"},
        {"\\\\SERVER\\Share\\DOCS\\Manual.pdf", "share/docs/manual.pdf"},
        {"Z:\\etc", "drives/z/etc"}};
    for (const auto& [win, rel] : cases) {
        std::string linux;
        ASSERT_EQ(ResolvePath(win, linux), 0) << win;
        EXPECT_EQ(linux, m_prefix.Path(rel)) << win;
    }
}

TEST_F(PathTest, BadPathsGiveTheirErrorAndLeaveTheOutputAlone) {
    std::string atLimit = "C:\\" + std::string(MAX_PATH - 4, 'x');  // 259 bytes
    const std::pair<std::string, int32_t> cases[] = {
        {atLimit, 0},
        {atLimit + "y", ERROR_FILENAME_EXCED_RANGE},
        {"C:\\WINDOWS\\..\\" + atLimit.substr(3), 0},  // counted after full-path expansion
        {"C:\\bad\x81", ERROR_INVALID_NAME},           // lead byte without its second byte
        {"C:\\bad\x81\x20name", ERROR_INVALID_NAME},   // second byte out of range
        {"C:\\a|b", ERROR_INVALID_NAME},
        {"C:\\a\x01", ERROR_INVALID_NAME},
        {"C:\\\x83\x7C", 0},  // "ポ": a second byte 0x7C is no "|"
        {"", ERROR_INVALID_NAME},
        {"\\\\?\\C:\\x", ERROR_INVALID_NAME},
        {"\\\\server", ERROR_INVALID_NAME},
        {"\\\\other\\share\\x", ERROR_PATH_NOT_FOUND},
        {"Q:\\x", ERROR_PATH_NOT_FOUND}};
    for (const auto& [win, lError] : cases) {
        std::string linux = "untouched";
        EXPECT_EQ(ResolvePath(win, linux), lError) << win;
        EXPECT_TRUE(lError == 0 || linux == "untouched") << win;
    }
}

TEST_F(PathTest, DrivesAndSystemFolders) {
    EXPECT_EQ(GetLogicalDriveStrings(), std::string("C:\\\0N:\\\0Z:\\\0\0", 13));
    const std::pair<std::string, uint32_t> cases[] = {{"C:\\", DRIVE_FIXED},
                                                      {"c:", DRIVE_FIXED},
                                                      {"N:\\", DRIVE_REMOTE},
                                                      {"Q:\\", DRIVE_NO_ROOT_DIR},
                                                      {"C:\\WINDOWS", DRIVE_NO_ROOT_DIR},
                                                      {"\\\\server\\share", DRIVE_REMOTE},
                                                      {"", DRIVE_FIXED}};
    for (const auto& [root, type] : cases) {
        EXPECT_EQ(GetDriveType(root), type) << root;
    }
    EXPECT_EQ(SetCurrentDirectory("C:\\twins\\abc"), ERROR_DIRECTORY);  // a file
    std::string win;
    ASSERT_EQ(ToWindowsPath(m_prefix.Path("drives/c/" + kSoftUtf8 + "/a.txt"), win), 0);
    EXPECT_EQ(win, "C:\\" + kSoftCp932 + "\\a.txt");
    uint32_t required = 0;
    EXPECT_EQ(WNetGetUniversalName("N:\\docs\\manual.pdf", 10, win, required), ERROR_MORE_DATA);
    EXPECT_EQ(required, 31u);
}

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
