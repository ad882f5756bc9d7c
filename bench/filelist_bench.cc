// The file list against the toolkit's own folder listing and the standard sort, in the same run:
// filling the list from a folder of n files in the compact view and in the details view against
// QDir::entryInfoList of that folder, and ordering 10,000 rows by each of the ten keys against
// std::sort of their names. The targets: at most 3 times the listing in the compact view and 6
// times with details, growth at most 1.1 from 1,000 to 10,000 files, each sort within 3 times.
// A folder of 100,000 files is read in pieces between the user's events: the longest the event
// loop waits for a piece (ui_pause_ms) against the whole folder read in one go, as the list was
// filled before.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QDir>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "BenchSupport.h"
#include "browse/FileListModel.h"
#include "browse/FileListSort.h"
#include "dialogs/FileListCtrl.h"
#include "dialogs/QtFileInfoProvider.h"
#include "dialogs/QtListLocale.h"
#include "platform/posix/Prefix.h"

namespace {

// A private prefix for the run; its C: drive holds one folder per size.
const std::string& PrefixDir() {
    static const std::string s_dir = [] {
        char tmpl[] = "/tmp/tq-bench.XXXXXX";
        std::string dir = mkdtemp(tmpl) ? tmpl : "/tmp";
        tq::CPrefix::Use(dir + "/prefix");
        std::atexit([] { std::filesystem::remove_all(PrefixDir()); });
        return dir;
    }();
    return s_dir;
}

// The Linux folder of n files, made once: help files of varied sizes and a few subfolders.
std::string FolderOf(int n) {
    static std::map<int, std::string> s_folders;
    auto it = s_folders.find(n);
    if (it != s_folders.end()) {
        return it->second;
    }
    std::string folder = PrefixDir() + "/prefix/drives/c/files" + std::to_string(n);
    std::filesystem::create_directories(folder);
    for (int i = 0; i < n; ++i) {
        static const char* kExtensions[] = {".chm", ".pdf", ".txt", ".htm"};
        std::string name = folder + "/Manual " + std::to_string(i * 7919 % n) + kExtensions[i % 4];
        if (i % 100 == 0) {
            std::filesystem::create_directory(name + ".d");
        }
        std::ofstream(name) << std::string(static_cast<size_t>(i % 3000), 'x');
    }
    return s_folders[n] = folder;
}

std::string WindowsFolderOf(int n) {
    FolderOf(n);
    return "C:\\files" + std::to_string(n) + "\\";
}

void BM_Baseline_EntryInfoList(benchmark::State& state) {
    QString folder = QString::fromStdString(FolderOf(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        QFileInfoList entries =
            QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        benchmark::DoNotOptimize(entries.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

using Clock = std::chrono::steady_clock;

void SetPauseCounter(benchmark::State& state, Clock::duration longest) {
    state.counters["ui_pause_ms"] = std::chrono::duration<double, std::milli>(longest).count();
}

// The fill until its last piece, the event loop turning between pieces as it does in a dialog.
void Fill(benchmark::State& state, int32_t nView) {
    std::string folder = WindowsFolderOf(static_cast<int>(state.range(0)));
    tq::CFileListCtrl list;
    list.Initialize();
    list.SetView(nView);
    Clock::duration longest{};
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        list.ShowFolder(folder, true);
        longest = std::max(longest, Clock::now() - start);
        while (list.IsFilling()) {
            start = Clock::now();
            QCoreApplication::processEvents();
            longest = std::max(longest, Clock::now() - start);
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    SetPauseCounter(state, longest);
}

// The rows of the folder made in one go, with the desktop's information, as the list was filled
// before it read in pieces: the time the event loop waited.
void BM_Baseline_FillInOneGo(benchmark::State& state) {
    std::string folder = WindowsFolderOf(static_cast<int>(state.range(0)));
    tq::CQtFileInfoProvider provider;
    tq::CQtListLocale locale;
    tq::CFileListModel list(provider, locale);
    Clock::duration longest{};
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        list.ShowFolder(folder, true);
        longest = std::max(longest, Clock::now() - start);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    SetPauseCounter(state, longest);
}

void BM_FillList(benchmark::State& state) {
    Fill(state, tq::kViewList);
}

void BM_FillDetails(benchmark::State& state) {
    Fill(state, tq::kViewDetails);
}

// The rows of the folder of n files, in details view (every key has its texts).
std::vector<tq::CFileListItem> RowsOf(int n) {
    tq::CFileListModel list;
    list.SetView(tq::kViewDetails);
    list.ShowFolder(WindowsFolderOf(n), true);
    std::vector<tq::CFileListItem> rows;
    for (size_t i = 0; i < list.GetRowCount(); ++i) {
        rows.push_back(*list.GetItem(i));
    }
    return rows;
}

void BM_Baseline_StdSort(benchmark::State& state) {
    std::vector<std::string> names;
    for (const tq::CFileListItem& row : RowsOf(static_cast<int>(state.range(0)))) {
        names.push_back(row.m_strDisplayName);
    }
    for (auto _ : state) {
        std::vector<std::string> sorted = names;
        std::sort(sorted.begin(), sorted.end());
        benchmark::DoNotOptimize(sorted.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Sort(benchmark::State& state) {
    std::vector<tq::CFileListItem> rows = RowsOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::vector<size_t> order = tq::SortListItems(rows, static_cast<int32_t>(state.range(1)));
        benchmark::DoNotOptimize(order.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_Baseline_EntryInfoList)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillList)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillList)
    ->Arg(100000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("max", tq::bench::Largest);
BENCHMARK(BM_Baseline_FillInOneGo)
    ->Arg(100000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("max", tq::bench::Largest);
BENCHMARK(BM_FillDetails)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_StdSort)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort)
    ->ArgsProduct({{10000}, benchmark::CreateDenseRange(1, tq::kSortKeyCount, 1)})
    ->Unit(benchmark::kMillisecond);

}  // namespace

// The list is a widget: the toolkit's application object comes first, on the offscreen
// platform so that no display is needed.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int nArgc = 1;
    QApplication application(nArgc, argv);
    return tq::bench::RunBenchmarks(argc, argv);
}
