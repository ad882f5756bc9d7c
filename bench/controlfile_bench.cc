// Loading (read + validate) and writing (full form and builder form) of generated control files
// of 1,000, 10,000 and 100,000 databases, each next to its baseline measured in the same run:
// reading the file and splitting its lines with memchr, and fwrite of the same bytes plus the
// same flushes. The inih library parses the same files, for comparison with a common reader.
//
//   controlfile_bench [benchmark flags]
//   controlfile_bench --write-file N PATH   (writes the generated file of N databases and exits)
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BenchSupport.h"
#include "controlfile/CtrlModel.h"
#include "controlfile/CtrlReader.h"
#include "controlfile/CtrlWriter.h"

#ifdef TQ_HAVE_INIH
#include <ini.h>
#endif

namespace tq::bench {
namespace {

// The generated files, each made on first use in the run's prefix.
class CBenchFiles {
public:
    std::string Source(int n) {
        std::string strPath = m_prefix.Dir() + "/source" + std::to_string(n) + ".ctl";
        if (!std::filesystem::exists(strPath)) {
            WriteHostFile(strPath, GenerateCtrlText(n));
        }
        return strPath;
    }
    std::string Out(const std::string& strName) const { return m_prefix.Dir() + "/" + strName; }

    // The text of the model loaded from the file of n databases, in one form.
    const std::string& Rendered(int n, bool bFullForm) {
        std::string& text = m_rendered[{n, bFullForm}];
        if (text.empty()) {
            CCtrlModel model;
            CFile file;
            if (CCtrlReader(model, nullptr).Load(file, WinPath(Source(n))) == 0) {
                text = CCtrlWriter(model).Render(bFullForm);
            }
        }
        return text;
    }

private:
    CBenchPrefix m_prefix;
    std::map<std::pair<int, bool>, std::string> m_rendered;
};

CBenchFiles& Files() {
    static CBenchFiles s_files;
    return s_files;
}

int Databases(const benchmark::State& state) {
    return static_cast<int>(state.range(0));
}

void SetBytes(benchmark::State& state, size_t cb) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(cb));
}

void BM_Baseline_ReadSplit(benchmark::State& state) {
    std::string strPath = Files().Source(Databases(state));
    std::string buffer;
    RunWarm(state, "read failed", [&] { return ReadAndSplit(strPath, buffer) > 0; });
    SetBytes(state, std::filesystem::file_size(strPath));
}

void BM_LoadValidate(benchmark::State& state) {
    std::string strPath = Files().Source(Databases(state));
    std::string strWin = WinPath(strPath);
    RunWarm(state, "load failed", [&] {
        CCtrlModel model;
        CFile file;
        return CCtrlReader(model, nullptr).Load(file, strWin) == 0;
    });
    SetBytes(state, std::filesystem::file_size(strPath));
}

bool FullForm(const benchmark::State& state) {
    return state.range(1) != 0;
}

void BM_Baseline_Fwrite(benchmark::State& state) {
    const std::string& text = Files().Rendered(Databases(state), FullForm(state));
    if (text.empty()) {
        state.SkipWithError("load failed");
        return;
    }
    std::string strPath = Files().Out("fwrite.ctl");
    RunWarm(state, "fwrite failed", [&] { return WriteAndFlush(strPath, text); });
    SetBytes(state, text.size());
}

void BM_Write(benchmark::State& state) {
    CCtrlModel model;
    CFile source;
    if (CCtrlReader(model, nullptr).Load(source, WinPath(Files().Source(Databases(state)))) != 0) {
        state.SkipWithError("load failed");
        return;
    }
    source.Close();
    const bool bFullForm = FullForm(state);
    std::string strWin = WinPath(Files().Out("written.ctl"));
    RunWarm(state, "write failed",
            [&] { return CCtrlWriter(model).Write(strWin, bFullForm) == 0; });
    SetBytes(state, Files().Rendered(Databases(state), bFullForm).size());
}

#ifdef TQ_HAVE_INIH
// A fair use of inih: the file read through ini_parse, every section, name and value copied.
struct CIniEntry {
    std::string m_strSection;
    std::string m_strName;
    std::string m_strValue;
};

int CopyEntry(void* pUser, const char* pszSection, const char* pszName, const char* pszValue) {
    static_cast<std::vector<CIniEntry>*>(pUser)->push_back({pszSection, pszName, pszValue});
    return 1;
}

void BM_InihParse(benchmark::State& state) {
    std::string strPath = Files().Source(Databases(state));
    RunWarm(state, "inih did not parse the file", [&] {
        std::vector<CIniEntry> entries;
        bool bOk = ini_parse(strPath.c_str(), CopyEntry, &entries) == 0;
        benchmark::DoNotOptimize(entries.data());
        return bOk;
    });
    SetBytes(state, std::filesystem::file_size(strPath));
}
#endif

// range(0): databases; with forms, range(1) is 1 for the full form and 0 for the builder form.
// The largest files take a second a run: three repetitions of them keep the report short.
void Sizes(benchmark::internal::Benchmark* b, bool bLarge, bool bForms) {
    for (int n : bLarge ? std::vector<int>{100000} : std::vector<int>{1000, 10000}) {
        if (bForms) {
            b->Args({n, 1})->Args({n, 0});
        } else {
            b->Arg(n);
        }
    }
    b->Unit(benchmark::kMillisecond)->MinTime(0.3)->UseRealTime();
    if (bLarge) {
        b->Repetitions(3);
    }
}

void SmallLoads(benchmark::internal::Benchmark* b) {
    Sizes(b, false, false);
}
void LargeLoads(benchmark::internal::Benchmark* b) {
    Sizes(b, true, false);
}
void SmallWrites(benchmark::internal::Benchmark* b) {
    Sizes(b, false, true);
}
void LargeWrites(benchmark::internal::Benchmark* b) {
    Sizes(b, true, true);
}

BENCHMARK(BM_Baseline_ReadSplit)->Apply(SmallLoads);
BENCHMARK(BM_LoadValidate)->Apply(SmallLoads);
BENCHMARK(BM_Baseline_Fwrite)->Apply(SmallWrites);
BENCHMARK(BM_Write)->Apply(SmallWrites);
BENCHMARK(BM_Baseline_ReadSplit)->Apply(LargeLoads);
BENCHMARK(BM_LoadValidate)->Apply(LargeLoads);
BENCHMARK(BM_Baseline_Fwrite)->Apply(LargeWrites);
BENCHMARK(BM_Write)->Apply(LargeWrites);
#ifdef TQ_HAVE_INIH
BENCHMARK(BM_InihParse)->Apply(SmallLoads);
BENCHMARK(BM_InihParse)->Apply(LargeLoads);
#endif

}  // namespace
}  // namespace tq::bench

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--write-file") {
        return tq::bench::WriteHostFile(argv[3], tq::bench::GenerateCtrlText(std::atoi(argv[2])))
                   ? 0
                   : 1;
    }
    tq::bench::KeepFreedMemory();
    return tq::bench::RunBenchmarks(argc, argv);
}
