// The check job: what is skipped, checked, added and reported, and that the target list is
// touched only on its owner's thread (the owner's animation while a check runs long is the
// dialogs' test).
#include "applications/CheckJob.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <thread>

#include "applications/JobWaitLoop.h"
#include "applications/WatchedTargetList.h"

namespace tq {
namespace {

using test::CWatchedList;

struct CJobResult {
    std::string m_strRefused;
    std::vector<std::string> m_accepted;
};

// Runs a job as a dialog does: the worker checks, this thread waits and serves the list.
CJobResult RunJob(std::vector<CCheckItem> items, const CTopicCheck& check, CWatchedList& list,
                  bool bWithAccepted = true) {
    CJobWaitLoop loop;
    CJobResult result;
    CCheckJob job(std::move(items), check, list, loop,
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
    auto check = [&](const std::string& p) -> int32_t {
        checked.push_back(p);
        checkThreads.insert(std::this_thread::get_id());
        if (p.ends_with("throw.txt")) {
            throw std::runtime_error("reader failed");  // refuses its file; the wait still ends
        }
        return p.find("bad") != std::string::npos ? 0 : p.find("two") != std::string::npos ? 2 : 1;
    };
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
    auto accept = [](const std::string&) { return 1; };
    EXPECT_TRUE(RunJob({Item("C:\\x.txt")}, accept, list, false).m_accepted.empty());
    EXPECT_EQ(list.m_list.GetEntries().size(), 4u);
    EXPECT_EQ(RunJob({}, accept, list).m_strRefused, "");
}

}  // namespace
}  // namespace tq
