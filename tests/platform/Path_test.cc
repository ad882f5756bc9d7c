#include "platform/Path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Prefix.h"
#include "platform/Win32Error.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

// "ソフト" in code page 932: its first character's second byte is 0x5C, the backslash.
const std::string kSoftCp932 = "\x83\x5C\x83\x74\x83\x67";
const std::string kSoftUtf8 = "\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88";

class PathTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::WriteLinuxFile(m_prefix.Path("drives/c/Program Files/Orban/Data.TXT"), "x");
        test::WriteLinuxFile(m_prefix.Path("drives/c/" + kSoftUtf8 + "/a.txt"), "x");
        test::WriteLinuxFile(m_prefix.Path("drives/c/twins/abc"), "x");
        test::WriteLinuxFile(m_prefix.Path("drives/c/twins/ABC"), "x");
        test::WriteLinuxFile(m_prefix.Path("share/docs/manual.pdf"), "x");
        ASSERT_EQ(CPrefix::Current().AddDrive(
                      {'N', DRIVE_REMOTE, m_prefix.Path("share"), "\\\\server\\share"}),
                  0);
        ASSERT_EQ(SetCurrentDirectory("C:\\WINDOWS"), 0);
    }
    std::string C(const std::string& rel) const { return m_prefix.Path("drives/c/" + rel); }

    test::CTempPrefix m_prefix;
};

TEST_F(PathTest, ResolvesComponentsIgnoringCaseAndKeepsMissingOnesAsWritten) {
    struct {
        std::string m_strWin;
        std::string m_strLinux;  // below drive C:
    } cases[] = {
        {"C:\\Program Files\\Orban\\Data.TXT", "Program Files/Orban/Data.TXT"},
        {"c:\\PROGRAM FILES\\orban\\data.txt", "Program Files/Orban/Data.TXT"},
        {"C:/program files/ORBAN/", "Program Files/Orban"},
        {"C:\\Program Files\\New Dir\\New.txt", "Program Files/New Dir/New.txt"},
        {"C:\\" + kSoftCp932 + "\\A.TXT", kSoftUtf8 + "/a.txt"},
        {"C:\\twins\\Abc", "twins/ABC"},  // of two spellings the bytewise smallest, stably
        {"C:\\twins\\abc", "twins/abc"},  // an exact spelling wins
        {"system32", "WINDOWS/system32"},
        {"..\\Program Files\\.\\Orban", "Program Files/Orban"},
        {"\\WINDOWS", "WINDOWS"},
        {"C:\\a\\..\\..\\..\\WINDOWS", "WINDOWS"},
        {"C:", "WINDOWS"},
        {"C:\\", ""},
    };
    for (const auto& c : cases) {
        std::string linux;
        ASSERT_EQ(ResolvePath(c.m_strWin, linux), 0) << c.m_strWin;
        std::string expected = m_prefix.Path("drives/c");
        if (!c.m_strLinux.empty()) {
            expected += "/" + c.m_strLinux;
        }
        EXPECT_EQ(linux, expected) << c.m_strWin;
    }
}

TEST_F(PathTest, ResolvesUncNamesAndOtherDrives) {
    std::string linux;
    ASSERT_EQ(ResolvePath("\\\\SERVER\\Share\\DOCS\\Manual.pdf", linux), 0);
    EXPECT_EQ(linux, m_prefix.Path("share/docs/manual.pdf"));
    ASSERT_EQ(ResolvePath("n:\\docs", linux), 0);
    EXPECT_EQ(linux, m_prefix.Path("share/docs"));
    ASSERT_EQ(ResolvePath("Z:\\etc", linux), 0);
    EXPECT_EQ(linux, m_prefix.Path("drives/z/etc"));
}

TEST_F(PathTest, BadPathsGiveTheirErrorAndLeaveTheOutputAlone) {
    std::string atLimit = "C:\\" + std::string(MAX_PATH - 4, 'x');  // 259 bytes
    struct {
        std::string m_strWin;
        int32_t m_lError;
    } cases[] = {
        {atLimit, 0},
        {atLimit + "y", ERROR_FILENAME_EXCED_RANGE},
        {"C:\\WINDOWS\\..\\" + atLimit.substr(3), 0},  // counted after full-path expansion
        {"C:\\bad\x81", ERROR_INVALID_NAME},           // lead byte without its second byte
        {"C:\\bad\x81\x20name", ERROR_INVALID_NAME},   // second byte out of range
        {"C:\\a?b", ERROR_INVALID_NAME},
        {"C:\\a*", ERROR_INVALID_NAME},
        {"C:\\a|b", ERROR_INVALID_NAME},
        {"C:\\a\"b", ERROR_INVALID_NAME},
        {"C:\\a\x01", ERROR_INVALID_NAME},
        {"C:\\\x83\x7C", 0},  // "ポ": a second byte 0x7C is no "|"
        {"", ERROR_INVALID_NAME},
        {"\\\\?\\C:\\x", ERROR_INVALID_NAME},
        {"\\\\server", ERROR_INVALID_NAME},
        {"\\\\other\\share\\x", ERROR_PATH_NOT_FOUND},
        {"Q:\\x", ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases) {
        std::string linux = "untouched";
        EXPECT_EQ(ResolvePath(c.m_strWin, linux), c.m_lError) << c.m_strWin;
        if (c.m_lError != 0) {
            EXPECT_EQ(linux, "untouched");
        }
    }
}

TEST_F(PathTest, FullPathNamesAreMadeWithoutTheDisk) {
    struct {
        std::string m_strIn;
        std::string m_strFull;
    } cases[] = {
        {"C:\\a\\.\\b\\", "C:\\a\\b\\"},
        {"C:/a/b", "C:\\a\\b"},
        {"C:\\a\\b\\..", "C:\\a"},
        {"C:\\..", "C:\\"},
        {"x.txt", "C:\\WINDOWS\\x.txt"},
        {"..\\..\\x", "C:\\x"},
        {"\\x", "C:\\x"},
        {"C:x", "C:\\WINDOWS\\x"},
        {"D:x", "D:\\x"},
        {"\\\\server\\share\\a\\..\\..", "\\\\server\\share\\"},
        {"C:\\" + kSoftCp932 + "\\..", "C:\\"},
    };
    for (const auto& c : cases) {
        std::string full;
        ASSERT_EQ(GetFullPathName(c.m_strIn, full), 0) << c.m_strIn;
        EXPECT_EQ(full, c.m_strFull) << c.m_strIn;
    }
}

TEST_F(PathTest, CurrentDirectoryChangesOnlyToExistingFolders) {
    EXPECT_EQ(GetCurrentDirectory(), "C:\\WINDOWS\\");
    ASSERT_EQ(SetCurrentDirectory("..\\program files\\"), 0);
    EXPECT_EQ(GetCurrentDirectory(), "C:\\program files\\");
    EXPECT_EQ(SetCurrentDirectory("C:\\missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(SetCurrentDirectory("C:\\missing\\deeper"), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(SetCurrentDirectory("C:\\twins\\abc"), ERROR_DIRECTORY);
    EXPECT_EQ(SetCurrentDirectory("C:\\bad\x81"), ERROR_INVALID_NAME);
    EXPECT_EQ(GetCurrentDirectory(), "C:\\program files\\");
    ASSERT_EQ(SetCurrentDirectory("\\\\server\\share\\docs"), 0);
    std::string full;
    ASSERT_EQ(GetFullPathName("\\x", full), 0);
    EXPECT_EQ(full, "\\\\server\\share\\x");
}

TEST_F(PathTest, LinuxPathsMapToTheDriveThatHoldsThem) {
    std::string win;
    ASSERT_EQ(ToWindowsPath(C("WINDOWS/system32"), win), 0);
    EXPECT_EQ(win, "C:\\WINDOWS\\system32");
    ASSERT_EQ(ToWindowsPath(C(kSoftUtf8 + "/a.txt"), win), 0);
    EXPECT_EQ(win, "C:\\" + kSoftCp932 + "\\a.txt");
    ASSERT_EQ(ToWindowsPath(m_prefix.Path("share/docs/"), win), 0);
    EXPECT_EQ(win, "N:\\docs");
    ASSERT_EQ(ToWindowsPath("/etc//passwd", win), 0);
    EXPECT_EQ(win, "Z:\\etc\\passwd");
    EXPECT_EQ(ToWindowsPath("/tmp/\xF0\x9F\x98\x80", win), ERROR_INVALID_NAME);
}

TEST_F(PathTest, DrivesAndSystemFolders) {
    EXPECT_EQ(GetLogicalDriveStrings(), std::string("C:\\\0N:\\\0Z:\\\0\0", 13));
    struct {
        std::string m_strRoot;
        uint32_t m_nType;
    } cases[] = {
        {"C:\\", DRIVE_FIXED},
        {"c:", DRIVE_FIXED},
        {"N:\\", DRIVE_REMOTE},
        {"Z:\\", DRIVE_FIXED},
        {"Q:\\", DRIVE_NO_ROOT_DIR},
        {"C:\\WINDOWS", DRIVE_NO_ROOT_DIR},
        {"\\\\server\\share\\", DRIVE_REMOTE},
        {"", DRIVE_FIXED},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetDriveType(c.m_strRoot), c.m_nType) << c.m_strRoot;
    }
    EXPECT_EQ(GetWindowsDirectory(), "C:\\WINDOWS");
    EXPECT_EQ(GetSystemDirectory(), "C:\\WINDOWS\\system32");
}

TEST_F(PathTest, UniversalNamesFollowTheBufferSizeProtocol) {
    const std::string path = "N:\\docs\\manual.pdf";
    const std::string unc = "\\\\server\\share\\docs\\manual.pdf";
    std::string out = "untouched";
    uint32_t required = 0;
    EXPECT_EQ(WNetGetUniversalName(path, 10, out, required), ERROR_MORE_DATA);
    EXPECT_EQ(required, unc.size() + 1);
    EXPECT_EQ(out, "untouched");
    EXPECT_EQ(WNetGetUniversalName(path, required, out, required), 0);
    EXPECT_EQ(out, unc);
    EXPECT_EQ(WNetGetUniversalName("C:\\WINDOWS", 600, out, required), ERROR_NOT_CONNECTED);
    EXPECT_EQ(WNetGetUniversalName("Q:\\x", 600, out, required), ERROR_NOT_CONNECTED);
    EXPECT_EQ(WNetGetUniversalName("relative", 600, out, required), ERROR_BAD_DEVICE);
    EXPECT_EQ(out, unc);
}

}  // namespace
}  // namespace tq
