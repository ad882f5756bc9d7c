// The check dispatch by extension, the library loaded at run time, and the check job.
#include "applications/HaveTopic.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "applications/CheckJob.h"
#include "applications/JobWaitLoop.h"
#include "applications/WatchedTargetList.h"
#include "controlfile/CtrlModel.h"
#include "platform/ComTypes.h"
#include "resources/ErrorCodes.h"
#include "tqfltr2/TopicTestFiles.h"

namespace tq {
namespace {

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
        {"a.htm", 0, "html"},     {"x.html", 0, "html"},      {".pdf", 0, nullptr},
        {"MANUAL.CHM", 0, "chm"}, {"readme.doc", 0, nullptr}, {"C:\\h\\w.Hlp", 0, "hlp"},
        {"C:\\a.pdf", 7, "pdf1"}, {"C:\\a.PDF", 0, "pdf0"},   {"notes.TxT", 0, "txt"},
        {"", 0, nullptr}};
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
    model.GetSettings().m_dwDivideNoBookmark = 1;
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
    const std::string strFile = strFolder + "/" + GetLibraryFileName(kTopicLibraryName);
    EXPECT_NE(strDetail.find(GetLibraryFileName(kTopicLibraryName)), std::string::npos)
        << strDetail;
    test::WriteLinuxFile(strFile, "not a module");
    EXPECT_EQ(library.Load(strFolder), ERROR_BAD_EXE_FORMAT);
    // A real module without the checks.
    std::filesystem::copy_file(TQ_OTHER_MODULE, strFile,
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

using test::CWatchedList;

struct CJobResult {
    std::string m_strRefused;
    std::vector<std::string> m_accepted;
};

// Runs a job as a dialog does: the worker checks, this thread waits and serves the list.
CJobResult RunJob(std::vector<CCheckItem> items, const test::CAnswerFilter& filter,
                  CWatchedList& list, bool bWithAccepted = true) {
    CJobWaitLoop loop;
    CJobResult result;
    CCheckJob job(std::move(items), filter.Check(), list, loop,
                  bWithAccepted ? &result.m_accepted : nullptr);
    job.Start();
    loop.Wait();
    job.Join();
    result.m_strRefused = job.GetRefusedNames();
    return result;
}

CCheckItem Item(const std::string& path) {
    return {path, path.substr(path.rfind('\\') + 1)};
}

TEST(CheckJobTest, SkipsKnownPathsChecksTheRestAndReportsRefusedInOrder) {
    CWatchedList list;
    list.m_list.AddString("C:\\docs\\Known.chm");
    list.m_refuse.insert("C:\\docs\\full.txt");  // the list box refuses this one
    std::vector<std::string> checked;
    std::set<std::thread::id> checkThreads;
    test::CAnswerFilter check([&](const std::string& p) -> int32_t {
        checked.push_back(p);
        checkThreads.insert(std::this_thread::get_id());
        if (p.ends_with("throw.txt")) {
            throw std::runtime_error("reader failed");  // refuses its file; the wait still ends
        }
        return p.find("bad") != std::string::npos ? 0 : p.find("two") != std::string::npos ? 2 : 1;
    });
    CJobResult result =
        RunJob({Item("C:\\docs\\b.pdf"), Item("C:\\DOCS\\KNOWN.CHM"), Item("C:\\docs\\bad1.hlp"),
                Item("C:\\docs\\full.txt"), Item("C:\\docs\\two.htm"), Item("C:\\docs\\a.pdf"),
                Item("C:\\docs\\B.PDF"), Item("C:\\docs\\throw.txt")},
               check, list);
    // The known path and the second spelling of b.pdf were never checked.
    EXPECT_EQ(checked, (std::vector<std::string>{"C:\\docs\\b.pdf", "C:\\docs\\bad1.hlp",
                                                 "C:\\docs\\full.txt", "C:\\docs\\two.htm",
                                                 "C:\\docs\\a.pdf", "C:\\docs\\throw.txt"}));
    EXPECT_EQ(result.m_strRefused, "bad1.hlp\r\ntwo.htm\r\nthrow.txt");
    // The checks ran on one worker; the list was served only by this, the owner's, thread.
    EXPECT_EQ(list.m_threads, std::set<std::thread::id>{std::this_thread::get_id()});
    ASSERT_EQ(checkThreads.size(), 1u);
    EXPECT_NE(*checkThreads.begin(), std::this_thread::get_id());
    EXPECT_EQ(list.m_nOps, 11u);  // a find per item, an add per accepted file
    // full.txt was accepted but the list refused it: not reported, not among the accepted.
    EXPECT_EQ(result.m_accepted, (std::vector<std::string>{"C:\\docs\\b.pdf", "C:\\docs\\a.pdf"}));
    EXPECT_EQ(
        list.m_list.GetEntries(),
        (std::vector<std::string>{"C:\\docs\\a.pdf", "C:\\docs\\b.pdf", "C:\\docs\\Known.chm"}));
    // Without an accepted list, and without items, the job still ends.
    test::CAnswerFilter accept([](const std::string&) { return 1; });
    EXPECT_TRUE(RunJob({Item("C:\\x.txt")}, accept, list, false).m_accepted.empty());
    EXPECT_EQ(list.m_list.GetEntries().size(), 4u);
    EXPECT_EQ(RunJob({}, accept, list).m_strRefused, "");
}

// After the wait: one chosen item is told by the message, several by the report; the wait's text
// ticks one, two, three dots; the row selected once targets went.
TEST(CheckJobTest, WhatTheUserIsToldAroundAJob) {
    using R = ERefusalReport;
    const std::tuple<std::string, size_t, R> reports[] = {{"", 1, R::kNone},
                                                          {"", 3, R::kNone},
                                                          {"a.chm", 1, R::kMessage},
                                                          {"a.chm", 2, R::kReportDialog}};
    for (const auto& [refused, chosen, report] : reports) {
        EXPECT_EQ(DecideRefusalReport(refused, chosen), report) << refused << chosen;
    }
    const std::string kWait =
        "\x82\xb5\x82\xce\x82\xe7\x82\xad\x82\xa8\x91\xd2\x82\xbf\x82\xad"
        "\x82\xbe\x82\xb3\x82\xa2 ";
    std::string ticks;
    for (int32_t nDots = 1, i = 0; i < 4; ++i, nDots = NextWaitDots(nDots)) {
        ticks += MakeWaitText(nDots).substr(kWait.size()) + "|";
        EXPECT_EQ(MakeWaitText(nDots).substr(0, kWait.size()), kWait);
    }
    EXPECT_EQ(ticks, ".|..|...|.|");
    CSortedTargetList list;
    EXPECT_EQ(list.RowAfterRemoval(0), -1);
    list.AddString("C:\\a.chm");
    list.AddString("C:\\b.chm");
    const std::pair<int32_t, int32_t> rows[] = {{0, 0}, {1, 1}, {2, 1}, {-1, 1}};
    for (const auto& [caret, row] : rows) {
        EXPECT_EQ(list.RowAfterRemoval(caret), row) << caret;
    }
}

}  // namespace
}  // namespace tq
