// The control-file object at scale: adding applications one after another (linear in their
// number) against storing the same records in plain vectors, and a whole save of a
// 10,000-database model after one change against reading the base control file and splitting
// its lines with memchr, and against the same save with its two registry flushes switched off;
// each baseline measured in the same run.
//
//   manager_bench [benchmark flags]   (a temporary prefix is made and removed)
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BenchSupport.h"
#include "applications/AppliOperations.h"
#include "manager/CtrlFile.h"
#include "platform/Faults.h"

namespace tq::bench {
namespace {

// "アプリケーション"
const std::string kAppGroup = "\x83\x41\x83\x76\x83\x8A\x83\x50\x81\x5B\x83\x56\x83\x87\x83\x93";

class CManagerProduct {
public:
    CManagerProduct() : m_product(m_prefix.C("")) {}
    const CBenchProduct& Get() const { return m_product; }

private:
    CBenchPrefix m_prefix;
    CBenchProduct m_product;
};

// The save's two registry flushes switched off for a row that sets their cost against the save
// as it is, in the same run. A flush is a sync of the hive's write-ahead log; the registry's fault
// hook, called with "flush" just before it, marks the next sync, and a default SQLite VFS that
// hands the real one's files out with their own methods but for xSync skips the marked one. Both
// rows run with the hook and the VFS in place; every other sync (the log's before it is copied
// into the hive file, the control files') happens as always.
bool g_bFlushesOff = false;
bool g_bSkipNextSync = false;
int64_t g_nSkipped = 0;  // syncs skipped

// Each kind of file the real VFS opens (the hive file locks, its log does not) -> the same
// methods with the switch's xSync.
std::map<const sqlite3_io_methods*, sqlite3_io_methods>& SwitchedMethods() {
    static std::map<const sqlite3_io_methods*, sqlite3_io_methods> s_methods;
    return s_methods;
}

int SyncUnlessSwitchedOff(sqlite3_file* pFile, int flags) {
    const bool bSkip = std::exchange(g_bSkipNextSync, false);
    for (const auto& [pReal, switched] : SwitchedMethods()) {
        if (&switched == pFile->pMethods) {
            return bSkip ? (++g_nSkipped, SQLITE_OK) : pReal->xSync(pFile, flags);
        }
    }
    return SQLITE_IOERR_FSYNC;
}

void InstallFlushSwitch() {
    static sqlite3_vfs* s_pReal = sqlite3_vfs_find(nullptr);
    static sqlite3_vfs s_vfs = *s_pReal;
    s_vfs.zName = "tq-bench-flush-switch";
    s_vfs.xOpen = [](sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* out) {
        const int rc = s_pReal->xOpen(s_pReal, name, f, flags, out);
        if (f->pMethods != nullptr) {
            auto [it, bNew] = SwitchedMethods().try_emplace(f->pMethods, *f->pMethods);
            it->second.xSync = SyncUnlessSwitchedOff;
            f->pMethods = &it->second;
        }
        return rc;
    };
    sqlite3_vfs_register(&s_vfs, 1);
    SetFaultHook([](const char* op, const std::string&) {
        g_bSkipNextSync = g_bFlushesOff && std::strcmp(op, "reg-flush") == 0;
        return 0;
    });
}

const CBenchProduct& Product() {
    // Before the product's first registry call, so that the hive's files open through it.
    [[maybe_unused]] static const bool s_bSwitch = (InstallFlushSwitch(), true);
    static CManagerProduct s_product;
    return s_product.Get();
}

// What an added application brings: its name, its two groups and its two documents.
struct CAppRecord {
    std::string m_strName;
    std::vector<std::string> m_groups;
    std::vector<std::string> m_docs;
};

std::string AppName(int i) {
    return "Application " + std::to_string(i);
}
std::string Doc(const std::string& strName, const char* pszFile) {
    return "C:\\Manuals\\" + strName + "\\" + pszFile;
}

// The baseline of adding: the same strings stored in plain vectors, without any check.
void BM_Baseline_PlainRecords(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::vector<CAppRecord> records;
        for (int i = 0; i < n; ++i) {
            const std::string strName = AppName(i);
            records.push_back({strName,
                               {kAppGroup, strName},
                               {Doc(strName, "guide.chm"), Doc(strName, "reference.pdf")}});
        }
        benchmark::DoNotOptimize(records.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * n);
}

// Adds applications as the wizard does: the database, its two groups and two documents. The
// load before and the release after are not timed.
void BM_AddApplications(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    Product().WriteBase(GenerateNestedCtrlText(0));
    for (auto _ : state) {
        auto file = std::make_unique<CCtrlFile>();
        file->OpenProductKey(CBenchProduct::KeyPath());
        file->Load();
        CAppliOperations apps(*file);
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < n; ++i) {
            const std::string strName = AppName(i);
            if (apps.AddAppli(3, strName) != 0) {
                state.SkipWithError("AddAppli failed");
                return;
            }
            const int32_t index = static_cast<int32_t>(file->GetDBCount()) - 1;
            apps.AddDBToGroup(index, kAppGroup);
            apps.AddDBToGroup(index, strName, &kAppGroup);
            apps.AddDoc(index, Doc(strName, "guide.chm"));
            apps.AddDoc(index, Doc(strName, "reference.pdf"));
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * n);
}

void AppCounts(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->MinTime(0.3);
}
BENCHMARK(BM_Baseline_PlainRecords)->Apply(AppCounts)->UseRealTime();
BENCHMARK(BM_AddApplications)->Apply(AppCounts)->UseManualTime();

void BM_Baseline_ReadSplit(benchmark::State& state) {
    Product().WriteBase(GenerateNestedCtrlText(static_cast<int>(state.range(0))));
    std::string buffer;
    RunWarm(state, "read failed", [&] { return ReadAndSplit(Product().BasePath(), buffer) > 0; });
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(Product().BasePath())));
}

// A whole save of a 10,000-database model after one selection changed: the base control file
// (full form), the comparison with the control file read back, the builder's paths carried
// over, the rebuild request, the control file (builder form) and the group ids.
void SaveAfterOneChange(benchmark::State& state, bool bFlushesOff) {
    Product().WriteBase(GenerateNestedCtrlText(static_cast<int>(state.range(0))));
    CCtrlFile file;
    file.OpenProductKey(CBenchProduct::KeyPath());
    if (file.Load() != 0 || file.Save() != 0) {
        state.SkipWithError("load or first save failed");
        return;
    }
    int32_t toggle = 0;
    g_bFlushesOff = bFlushesOff;
    g_nSkipped = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const int32_t lSelected = CAppliOperations(file).SetDBSelected(
            static_cast<int32_t>(file.GetDBCount()) - 1, toggle);
        toggle ^= 1;
        state.ResumeTiming();
        if (lSelected != 0 || file.Save() != 0) {
            state.SkipWithError("selection change or save failed");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(Product().BasePath())));
    // Two a save when switched off: the switch hit the flushes it was meant for.
    state.counters["skipped_syncs"] = benchmark::Counter(
        static_cast<double>(std::exchange(g_nSkipped, 0)), benchmark::Counter::kAvgIterations);
    g_bFlushesOff = false;
}
void BM_SaveAfterOneChange(benchmark::State& state) {
    SaveAfterOneChange(state, false);
}
void BM_SaveAfterOneChangeUnflushed(benchmark::State& state) {
    SaveAfterOneChange(state, true);
}

void SaveSize(benchmark::internal::Benchmark* b) {
    b->Arg(10000)->Unit(benchmark::kMillisecond)->MinTime(0.3)->UseRealTime();
}
BENCHMARK(BM_Baseline_ReadSplit)->Apply(SaveSize);
BENCHMARK(BM_SaveAfterOneChange)->Apply(SaveSize);
BENCHMARK(BM_SaveAfterOneChangeUnflushed)->Apply(SaveSize);

}  // namespace
}  // namespace tq::bench

TQ_BENCHMARK_MAIN()
