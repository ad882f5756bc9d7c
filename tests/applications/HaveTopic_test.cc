// The check dispatch by extension, and the library loaded at run time (also when it is missing
// or broken); what the library answers for real files is its own tests' and the host's.
#include "applications/HaveTopic.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "controlfile/CtrlModel.h"
#include "platform/ComTypes.h"
#include "resources/ErrorCodes.h"
#include "tqfltr2/TopicTestFiles.h"

namespace tq {
namespace {

// Records which check was asked, with which arguments.
class CRecordingFilter : public ITopicFilter {
public:
    int32_t HlpHaveTopic(const std::string& p) const override { return Note("hlp", p); }
    int32_t ChmHaveTopic(const std::string& p) const override { return Note("chm", p); }
    int32_t PdfHaveTopic(const std::string& p, int32_t divide) const override {
        return Note("pdf" + std::to_string(divide), p);
    }
    int32_t TxtHaveTopic(const std::string& p) const override { return Note("txt", p); }
    int32_t HtmlHaveTopic(const std::string& p) const override { return Note("html", p); }
    mutable std::vector<std::string> m_calls;

private:
    int32_t Note(const std::string& what, const std::string& path) const {
        m_calls.push_back(what + ":" + path);
        return -1572;  // any answer passes unchanged
    }
};

TEST(HaveTopicTest, DispatchByExtension) {
    // The path, the divide flag, and the call (none: the file is unsupported).
    const std::tuple<const char*, int32_t, const char*> cases[] = {
        {"a.htm", 0, "html"},          {"x.html", 0, "html"},      {".pdf", 0, nullptr},
        {"MANUAL.CHM", 0, "chm"},      {"readme.doc", 0, nullptr}, {"C:\\h\\w.Hlp", 0, "hlp"},
        {"C:\\a.pdf", 1, "pdf1"},      {"C:\\a.pdf", 7, "pdf1"},   {"C:\\a.PDF", 0, "pdf0"},
        {"notes.TxT", 0, "txt"},       {".html", 0, nullptr},      {".htm", 0, nullptr},
        {"a.html.bak", 0, nullptr},    {"", 0, nullptr},           {"chm", 0, nullptr},
        {"C:\\dir.chm\\x", 0, nullptr}};
    for (const auto& [path, divide, call] : cases) {
        CRecordingFilter filter;
        int32_t result = HaveTopic(path, divide, filter);
        if (call == nullptr) {
            EXPECT_EQ(result, TQE_UNSUPPORTED_FILE) << path;
            EXPECT_TRUE(filter.m_calls.empty()) << path;
        } else {
            EXPECT_EQ(result, -1572) << path;
            EXPECT_EQ(filter.m_calls, std::vector<std::string>{std::string(call) + ":" + path});
        }
    }
}

TEST(HaveTopicTest, CheckHelpFilePassesTheModelsDivideNoBookmark) {
    CCtrlModel model;
    CRecordingFilter filter;
    CheckHelpFile(model, "C:\\m.pdf", filter);
    model.m_dwDivideNoBookmark = 1;
    CheckHelpFile(model, "C:\\m.pdf", filter);
    EXPECT_EQ(filter.m_calls, (std::vector<std::string>{"pdf0:C:\\m.pdf", "pdf1:C:\\m.pdf"}));
    // No document line can hold a control character: refused before the library is asked.
    EXPECT_EQ(CheckHelpFile(model, "C:\\new\nline.txt", filter), TQE_CONTROL_CHAR);
    EXPECT_EQ(filter.m_calls.size(), 2u);
}

class TopicLibraryTest : public test::CTopicFileTest {
protected:
    void SetUp() override { ASSERT_EQ(m_library.Load(TQFLTR2_DIR), 0); }
    CTopicLibrary m_library;
};

TEST_F(TopicLibraryTest, MissingOrBrokenLibraryRefusesEveryFile) {
    const std::string strFolder = m_prefix.Path("lib");
    std::filesystem::create_directories(strFolder);
    CTopicLibrary library;
    std::string strDetail;
    EXPECT_EQ(library.Load(m_prefix.Path("nowhere"), &strDetail), ERROR_MOD_NOT_FOUND);
    EXPECT_NE(strDetail.find("libtqfltr2.so"), std::string::npos) << strDetail;
    test::WriteLinuxFile(strFolder + "/libtqfltr2.so", "not a module");
    EXPECT_EQ(library.Load(strFolder), ERROR_BAD_EXE_FORMAT);
    // A real module without the checks.
    std::filesystem::copy_file(TQPLATFORM_FILE, strFolder + "/libtqfltr2.so",
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(library.Load(strFolder, &strDetail), ERROR_PROC_NOT_FOUND);
    EXPECT_NE(strDetail.find("PAS_HlpHaveTopic"), std::string::npos) << strDetail;
    EXPECT_FALSE(library.IsLoaded());
    std::string strText = Write("good.txt", "searchable words\n");
    for (const char* path : {"a.hlp", "a.chm", "a.pdf", "a.htm"}) {
        EXPECT_EQ(HaveTopic(Win(path), 0, library), TOPIC_CHECK_UNAVAILABLE) << path;
    }
    EXPECT_EQ(HaveTopic(strText, 1, library), TOPIC_CHECK_UNAVAILABLE);
    EXPECT_EQ(HaveTopic(strText, 1, m_library), 1);
}

}  // namespace
}  // namespace tq
