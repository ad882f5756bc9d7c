// The check job of an add action over 1,000 small help files (half plain text, half HTML, made
// in the run's prefix): the worker asks the topic-filter library about each file while this
// thread serves the target list, as the wait dialog does. The baseline, in the same run:
// opening and reading the same files whole.
//
//   checkjob_bench [benchmark flags]
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchSupport.h"
#include "applications/CheckJob.h"
#include "applications/HaveTopic.h"
#include "applications/JobWaitLoop.h"
#include "applications/TargetList.h"
#include "controlfile/CtrlModel.h"
#include "platform/Environment.h"

namespace tq::bench {
namespace {

constexpr int kFiles = 1000;

// The chosen files: their Linux paths for the baseline and the items of the job.
class CCheckFiles {
public:
    CCheckFiles() {
#ifdef TQ_TQFLTR2_BUILD_DIR
        SetEnvironmentVariable(kTopicLibraryDirVariable, TQ_TQFLTR2_BUILD_DIR);
#endif
        std::filesystem::create_directories(m_prefix.C("Docs"));
        for (int i = 0; i < kFiles; ++i) {
            const bool bText = i % 2 == 0;
            std::string strName = "topic" + std::to_string(1000 + i) + (bText ? ".txt" : ".htm");
            std::string strLinux = m_prefix.C("Docs/" + strName);
            WriteLinuxFile(strLinux, bText ? TextFile(i) : HtmlFile(i));
            m_linuxPaths.push_back(strLinux);
            m_items.push_back({"C:\\Docs\\" + strName, strName});
        }
    }

    const std::vector<std::string>& LinuxPaths() const {
        return m_linuxPaths;
    }
    const std::vector<CCheckItem>& Items() const {
        return m_items;
    }

private:
    static std::string TextFile(int i) {
        return "Release notes, part " + std::to_string(i) +
               "\r\n\r\nThis part describes the changes made to the product.\r\n";
    }
    static std::string HtmlFile(int i) {
        return "<!DOCTYPE html>\r\n<html><head><title>Topic " + std::to_string(i) +
               "</title>\r\n<style>body { margin: 0 }</style></head>\r\n<body><h1>Topic " +
               std::to_string(i) + "</h1><p>How to use the feature.</p></body></html>\r\n";
    }

    CBenchPrefix m_prefix;
    std::vector<std::string> m_linuxPaths;
    std::vector<CCheckItem> m_items;
};

CCheckFiles& Files() {
    static CCheckFiles s_files;
    return s_files;
}

void BM_Baseline_OpenRead(benchmark::State& state) {
    RunWarm(state, "read failed", [] {
        size_t cb = 0;
        for (const std::string& strPath : Files().LinuxPaths()) {
            cb += ReadLinuxFile(strPath).size();
        }
        benchmark::DoNotOptimize(cb);
        return cb > 0;
    });
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kFiles);
}
BENCHMARK(BM_Baseline_OpenRead)->Arg(kFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

// One job over every file into an empty target list; every file has a topic, so a refused one
// means the library did not do its work.
void BM_CheckJob(benchmark::State& state) {
    CCtrlModel model;
    RunWarm(state, "a file was refused", [&model] {
        CSortedTargetList targets;
        CJobWaitLoop loop;
        std::vector<std::string> accepted;
        CCheckJob job(
            Files().Items(),
            [&model](const std::string& strPath) { return CheckHelpFile(model, strPath); }, targets,
            loop, &accepted);
        job.Start();
        loop.Wait();
        job.Join();
        return accepted.size() == Files().Items().size();
    });
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kFiles);
}
BENCHMARK(BM_CheckJob)->Arg(kFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tq::bench

TQ_BENCHMARK_MAIN()
