// The check job of an add action over 1,000 small help files (half plain text, half HTML, made
// in the run's prefix): the worker asks the topic-filter library about each file while this
// thread serves the target list, as the wait dialog does. The baseline, in the same run:
// opening and reading the same files whole.
//
// The same job run by the wait dialog, as an add action runs it: the dialog's thread serves the
// target list from the dialog's event loop. A timer firing at every turn of that loop stamps the
// time, and the longest pause between two turns is the counter ui_pause_ms (the user's thread
// must never stop for more than 50 ms); its baseline is the longest pause of the same loop with
// the same timer while nothing else runs. The figure's time is set against the job without a
// dialog (BM_CheckJob) from the same run.
//
//   checkjob_bench [benchmark flags]
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "applications/CheckJob.h"
#include "applications/HaveTopic.h"
#include "applications/JobWaitLoop.h"
#include "applications/TargetList.h"
#include "controlfile/CtrlModel.h"
#include "dialogs/WaitDlg.h"
#include "platform/Environment.h"

namespace tq::bench {
namespace {

constexpr int kFiles = kCheckFiles;

// The chosen files: their Linux paths for the baseline and the items of the job.
class CCheckFiles {
public:
    CCheckFiles() {
#ifdef TQ_TQFLTR2_BUILD_DIR
        SetEnvironmentVariable(kTopicLibraryDirVariable, TQ_TQFLTR2_BUILD_DIR);
#endif
        std::filesystem::create_directories(m_prefix.C("Docs"));
        for (int i = 0; i < kFiles; ++i) {
            const std::string strName = CheckFileName(i);
            std::string strLinux = m_prefix.C("Docs/" + strName);
            WriteHostFile(strLinux, CheckFileText(i));
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
            cb += ReadHostFile(strPath).size();
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
        CCheckJob job(Files().Items(), {&model, nullptr}, targets, loop, &accepted);
        job.Start();
        loop.Wait();
        job.Join();
        return accepted.size() == Files().Items().size();
    });
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kFiles);
}
BENCHMARK(BM_CheckJob)->Arg(kFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

// The longest time between two turns of this thread's event loop while it is watched: a timer of
// 0 ms fires once at every turn.
class CLoopWatch {
public:
    CLoopWatch() {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Stamp(); });
    }
    void Start() {
        m_last = Clock::now();
        m_timer.start();
    }
    // The time since the last turn counts too: the loop may have been stuck at its end.
    void Stop() {
        Stamp();
        m_timer.stop();
    }
    double GetLongestMs() const {
        return std::chrono::duration<double, std::milli>(m_longest).count();
    }

private:
    using Clock = std::chrono::steady_clock;
    void Stamp() {
        Clock::time_point now = Clock::now();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }

    QTimer m_timer;
    Clock::time_point m_last;
    Clock::duration m_longest{};
};

// One job over every file in the wait dialog. The first run, untimed, also pays for showing the
// first dialog of the process (fonts, styles); its pause is the counter first_ui_pause_ms.
void BM_CheckJobInWaitDialog(benchmark::State& state) {
    CCtrlModel model;
    auto runOnce = [&model](CLoopWatch& watch) {
        CSortedTargetList targets;
        std::vector<std::string> accepted;
        CWaitDlg dialog;
        CCheckJob job(Files().Items(), {&model, nullptr}, targets, dialog, &accepted);
        watch.Start();
        dialog.RunJob(job);
        watch.Stop();
        return accepted.size() == Files().Items().size();
    };
    CLoopWatch first;
    if (!runOnce(first)) {
        state.SkipWithError("a file was refused");
        return;
    }
    CLoopWatch watch;
    for (auto _ : state) {
        if (!runOnce(watch)) {
            state.SkipWithError("a file was refused");
            break;
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kFiles);
    state.counters["ui_pause_ms"] = watch.GetLongestMs();
    state.counters["first_ui_pause_ms"] = first.GetLongestMs();
}
BENCHMARK(BM_CheckJobInWaitDialog)
    ->Arg(kFiles)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("max", Largest);

// The same loop and timer with nothing else to do, for about as long as the job takes.
void BM_Baseline_IdleLoop(benchmark::State& state) {
    CLoopWatch watch;
    for (auto _ : state) {
        QEventLoop loop;
        QTimer::singleShot(150, &loop, &QEventLoop::quit);
        watch.Start();
        loop.exec();
        watch.Stop();
    }
    state.counters["ui_pause_ms"] = watch.GetLongestMs();
}
BENCHMARK(BM_Baseline_IdleLoop)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("max", Largest);

}  // namespace
}  // namespace tq::bench

// The wait dialog is a widget: the toolkit's application object comes first, on the offscreen
// platform so that no display is needed.
int main(int argc, char** argv) {
    tq::bench::KeepFreedMemory();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int nArgc = 1;
    QApplication application(nArgc, argv);
    return tq::bench::RunBenchmarks(argc, argv);
}
