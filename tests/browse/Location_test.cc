#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "browse/FolderPath.h"
#include "browse/LocationEntries.h"
#include "browse/LocationKeys.h"
#include "platform/Cp932.h"
#include "platform/Path.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

TEST(LocationTest, FolderLevels) {
    using S = const char*;
    const std::tuple<S, S, size_t, S, S, S, S> cases[] = {
        {"two levels", "C:\\Program Files\\Help\\", 2, "C:\\program files\\help\\", "C:\\",
         "c:", "C:\\Program Files\\"},
        {"root", "C:\\", 0, "C:\\", "C:\\", "c:", ""},
        {"file name", "c:\\A\\b\\Readme.TXT", 2, "c:\\a\\b\\", "c:\\", "c:", "c:\\A\\b\\"},
        {"empty names", "C:\\\\a\\\\", 1, "C:\\a\\", "C:\\", "c:", "C:\\\\a\\"},
        {"0x5C second bytes", "C:\\\x95\x5c\\\x83\x5cX\\", 2, "C:\\\x95\x5c\\\x83\x5cx\\", "C:\\",
         "c:", "C:\\\x95\x5c\\"},
        {"ends in 0x5C byte", "C:\\a\\\x95\x5c", 1, "C:\\a\\", "C:\\", "c:", "C:\\a\\"},
        {"unc", "\\\\Server\\Share\\Docs\\", 3, "\\\\server\\share\\docs\\", "\\\\server\\share\\",
         "", "\\\\Server\\Share\\"},
        {"empty", "", 0, "\\", "\\", "", ""}};
    for (const auto& [name, pszPath, levels, deepest, root, drive, parent] : cases) {
        CFolderPath path(pszPath);
        EXPECT_EQ(path.LevelCount(), levels) << name;
        EXPECT_EQ(path.PathOfLevel(levels), deepest) << name;
        EXPECT_EQ(path.RootPath(), root) << name;
        EXPECT_EQ(path.DriveText(), drive) << name;
        EXPECT_EQ(path.Parent(), parent) << name;
    }
}

TEST(LocationTest, DeepestExistingFolder) {
    test::CTempPrefix prefix;
    std::filesystem::create_directories(prefix.Path("drives/c/a/b"));
    test::WriteLinuxFile(prefix.Path("drives/c/a/file.txt"), "x");
    const std::tuple<const char*, const char*> cases[] = {
        {"C:\\A\\B\\gone\\deeper\\", "C:\\a\\b\\"},
        {"C:\\a\\b\\", "C:\\a\\b\\"},
        {"C:\\gone\\b\\", "C:\\"},
        {"C:\\a\\file.txt\\", "C:\\a\\"}};  // a file is no folder to show
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(CFolderPath(path).DeepestExisting(), expected) << path;
    }
}

// The entries as "path level" with '*' on the current one and '<' on the selected one.
std::string Describe(const CLocationEntries& box) {
    std::string text;
    for (size_t i = 0; i < box.GetEntries().size(); ++i) {
        const CLocationEntry& e = box.GetEntries()[i];
        text += e.m_strPath + " " + std::to_string(e.m_nLevel) + (e.m_bCurrent ? "*" : "") +
                (box.GetSelectedIndex() == static_cast<int32_t>(i) ? "<" : "") + "|";
    }
    return text;
}

TEST(LocationTest, EntriesOfAShownFolder) {
    test::CTempPrefix prefix;
    if (!test::AddDrive('D', DRIVE_REMOTE, prefix.Path("share")) ||
        !test::AddDrive('E', DRIVE_FIXED, prefix.Path("e"))) {
        GTEST_SKIP() << "the entries are of drives this test machine cannot add";
    }
    CLocationEntries box;
    EXPECT_EQ(box.GetSelectedEntry(), nullptr);
    ASSERT_EQ(box.Initialize(), 3);
    EXPECT_EQ(Describe(box), "C:\\ 0<|E:\\ 0|Z:\\ 0|");
    EXPECT_EQ(box.GetFolder(), "C:\\");
    const std::tuple<const char*, const char*> cases[] = {
        {"C:\\Program Files\\Help\\",
         "C:\\ 0|C:\\program files\\ 1|C:\\program files\\help\\ 2*<|E:\\ 0|Z:\\ 0|"},
        {"c:\\PROGRAM FILES\\HELP\\",  // the shown folder: nothing changes
         "C:\\ 0|C:\\program files\\ 1|C:\\program files\\help\\ 2*<|E:\\ 0|Z:\\ 0|"},
        {"e:\\X\\", "C:\\ 0|E:\\ 0|e:\\x\\ 1*<|Z:\\ 0|"},
        {"C:\\", "C:\\ 0*<|E:\\ 0|Z:\\ 0|"},
        // Roots that are no drive entry stand at the top as roots of their own.
        {"\\\\Server\\Share\\Docs\\",
         "\\\\server\\share\\ 0|\\\\server\\share\\docs\\ 1*<|C:\\ 0|E:\\ 0|Z:\\ 0|"},
        {"D:\\m\\", "D:\\ 0|D:\\m\\ 1*<|C:\\ 0|E:\\ 0|Z:\\ 0|"},
        {"Z:\\tmp", "C:\\ 0|E:\\ 0|Z:\\ 0*<|"},  // a last name without "\" is no level
    };
    for (const auto& [folder, expected] : cases) {
        EXPECT_EQ(box.SetFolder(folder), 0) << folder;
        EXPECT_EQ(Describe(box), expected) << folder;
        EXPECT_TRUE(EqualsNoCase(box.GetFolder(), folder)) << folder;
    }
    EXPECT_EQ(box.SetFolder(""), -1);
    EXPECT_EQ(box.Select(3), -1);
    EXPECT_EQ(box.Select(1), 0);
    EXPECT_EQ(box.GetSelectedEntry()->m_strPath, "E:\\");
    EXPECT_EQ(box.GetSelectedEntry()->m_strDisplayName, "E:\\");
}

TEST(LocationTest, KeysWhileClosed) {
    using K = ELocationKey;
    using A = ELocationKeyAction;
    const std::tuple<K, char, bool, A> cases[] = {
        {K::kUp, 0, false, A::kSwallow},       {K::kDown, 0, false, A::kOpenDropDown},
        {K::kLetter, 'D', true, A::kToDialog}, {K::kLetter, 'L', true, A::kToDialog},
        {K::kLetter, 'D', false, A::kSwallow}, {K::kLetter, 'X', true, A::kSwallow},
        {K::kDigit, '7', false, A::kSwallow},  {K::kOther, 0, false, A::kDefault}};
    for (const auto& [key, letter, ctrl, expected] : cases) {
        EXPECT_EQ(DecideLocationKey(key, letter, ctrl, false), expected)
            << static_cast<int>(key) << letter;
        EXPECT_EQ(DecideLocationKey(key, letter, ctrl, true), A::kDefault);
    }
}

}  // namespace
}  // namespace tq
