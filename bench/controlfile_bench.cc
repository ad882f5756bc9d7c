// Loading (read + validate) and writing of generated control files of 1,000, 10,000 and
// 100,000 databases, each next to its baseline measured in the same run: reading the file and
// splitting its lines with memchr, and fwrite of the same bytes plus the same flushes. After
// the run the program prints MB/s, the ratio of each operation to its baseline, and the growth
// from 1,000 to 100,000 databases.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "controlfile/CtrlModel.h"
#include "controlfile/CtrlReader.h"
#include "controlfile/CtrlWriter.h"
#include "platform/File.h"
#include "platform/Path.h"
#include "platform/Prefix.h"

namespace tq {
namespace {

// About 10 lines and 800 bytes per database, as in a product's base control file.
std::string GenerateFile(int nDatabases) {
    std::string t = ":*** Trellisquest ControlFile ***\r\nOutputLog = \"index.log\"\r\n\r\n";
    const int kGroups = 50;
    t += "Group1 = \"\x83\x41\x83\x76\x83\x8a\x83\x50\x81\x5b\x83\x56\x83\x87\x83\x93\"\r\n";
    for (int g = 2; g <= kGroups; ++g) {
        t += "Group" + std::to_string(g) + " = \"1@Manuals " + std::to_string(g) + "\"\r\n";
    }
    t += "FamilyOfGroup2-10 = \"Manuals\"\r\nDefaultGroup = 2\r\n";
    for (int i = 0; i < nDatabases; ++i) {
        if (i == nDatabases / 2 || i == nDatabases * 9 / 10) {
            t += "\r\n###\r\n";
        }
        std::string name = "Database" + std::to_string(i);
        t += "[" + name + "]\r\nPublicName = \"Product manual number " + std::to_string(i) +
             " for the \x95\x5C series\"\r\nGroup = 1\r\nGroup = " +
             std::to_string(2 + i % (kGroups - 1)) + "\r\n";
        for (int d = 0; d < 5; ++d) {
            t += "Doc = \"<Program Files>\\Orbanworks\\Manuals\\Volume" + std::to_string(d) +
                 "\\chapter-" + std::to_string(i) + "-section-" + std::to_string(d) +
                 "-appendix.chm > Product manual " + std::to_string(i) + "\"\r\n";
        }
        t += "RootPath = \"C:\\Program Files\\Orbanworks\\Manuals\\" + name +
             "\"\r\nDate = \"3/15/2004 14:5:9\"\r\n\r\n";
    }
    return t;
}

class CBenchFiles {
public:
    CBenchFiles() {
        m_dir = std::filesystem::temp_directory_path() /
                ("tq_bench_" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(m_dir / "prefix");
        CPrefix::Use((m_dir / "prefix").string());
    }
    ~CBenchFiles() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    // The Linux path of the generated file of n databases (made on first use).
    std::string Source(int n) {
        std::string path = (m_dir / ("source" + std::to_string(n) + ".ctl")).string();
        if (!std::filesystem::exists(path)) {
            std::string text = GenerateFile(n);
            FILE* f = std::fopen(path.c_str(), "wb");
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
        return path;
    }
    std::string Out(const char* name) const { return (m_dir / name).string(); }

private:
    std::filesystem::path m_dir;
};

CBenchFiles& Files() {
    static CBenchFiles s_files;
    return s_files;
}

std::string Win(const std::string& linux) {
    std::string win;
    ToWindowsPath(linux, win);
    return win;
}

size_t FileSize(const std::string& path) {
    return std::filesystem::file_size(path);
}

void BM_Baseline_ReadSplit(benchmark::State& state) {
    std::string path = Files().Source(static_cast<int>(state.range(0)));
    std::string buffer;
    for (auto _ : state) {
        FILE* f = std::fopen(path.c_str(), "rb");
        buffer.resize(FileSize(path));
        size_t cb = std::fread(buffer.data(), 1, buffer.size(), f);
        std::fclose(f);
        size_t nLines = 0;
        for (const char* p = buffer.data(); p < buffer.data() + cb;) {
            const void* nl = std::memchr(p, '\n', buffer.data() + cb - p);
            ++nLines;
            p = nl ? static_cast<const char*>(nl) + 1 : buffer.data() + cb;
        }
        benchmark::DoNotOptimize(nLines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileSize(path)));
}

void BM_LoadValidate(benchmark::State& state) {
    std::string path = Files().Source(static_cast<int>(state.range(0)));
    std::string win = Win(path);
    for (auto _ : state) {
        CCtrlModel model;
        CFile file;
        int32_t lResult = CCtrlReader(model, nullptr).Load(file, win);
        if (lResult != 0) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(model.GetDBCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileSize(path)));
}

// The bytes of the full form of a file, for both write benchmarks.
std::string Rendered(int n, CCtrlModel& model) {
    CFile file;
    CCtrlReader(model, nullptr).Load(file, Win(Files().Source(n)));
    return CCtrlWriter(model).Render(true);
}

void BM_Baseline_Fwrite(benchmark::State& state) {
    CCtrlModel model;
    std::string text = Rendered(static_cast<int>(state.range(0)), model);
    std::string path = Files().Out("fwrite.ctl");
    std::string folder = Win(std::filesystem::path(path).parent_path().string());
    for (auto _ : state) {
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        // The same flushes as the writer: the file's data, then its folder.
        CFile file;
        file.Open(Win(path), GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
        file.Flush();
        file.Close();
        FlushDirectory(folder);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_WriteFull(benchmark::State& state) {
    CCtrlModel model;
    std::string text = Rendered(static_cast<int>(state.range(0)), model);
    std::string win = Win(Files().Out("written.ctl"));
    for (auto _ : state) {
        if (CCtrlWriter(model).Write(win, true) != 0) {
            state.SkipWithError("write failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

#define TQ_SIZES ->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0)
BENCHMARK(BM_Baseline_ReadSplit) TQ_SIZES;
BENCHMARK(BM_LoadValidate) TQ_SIZES;
BENCHMARK(BM_Baseline_Fwrite) TQ_SIZES;
BENCHMARK(BM_WriteFull) TQ_SIZES;

// Keeps the times per iteration of every run for the summary.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // A single run, or the mean of repeated runs (which comes after them).
        for (const Run& r : runs) {
            bool bMean = r.run_type == Run::RT_Aggregate && r.aggregate_name == "mean";
            if ((r.run_type == Run::RT_Iteration || bMean) && !r.error_occurred) {
                std::string name = r.run_name.function_name + "/" + r.run_name.args;
                m_real[name] = r.GetAdjustedRealTime();
                m_cpu[name] = r.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Ratios to the baselines by wall-clock time and by CPU time (the machine may be shared,
    // which inflates wall-clock times unevenly).
    void PrintSummary() const {
        std::printf("\nratio to the baseline (wall / cpu)\n%-8s %26s %26s\n", "dbs",
                    "load+validate : read+split", "full write : fwrite+flush");
        for (const char* n : {"1000", "10000", "100000"}) {
            std::printf("%-8s %12.2f / %-11.2f %12.2f / %-11.2f\n", n,
                        Ratio(m_real, "BM_LoadValidate/", "BM_Baseline_ReadSplit/", n),
                        Ratio(m_cpu, "BM_LoadValidate/", "BM_Baseline_ReadSplit/", n),
                        Ratio(m_real, "BM_WriteFull/", "BM_Baseline_Fwrite/", n),
                        Ratio(m_cpu, "BM_WriteFull/", "BM_Baseline_Fwrite/", n));
        }
        std::printf("\ngrowth from 1,000 to 100,000 databases (wall / cpu; linear = 100)\n");
        for (const char* name : {"BM_Baseline_ReadSplit/", "BM_LoadValidate/",
                                 "BM_Baseline_Fwrite/", "BM_WriteFull/"}) {
            std::printf("  %-24s %8.1f / %-8.1f\n", name, Growth(m_real, name),
                        Growth(m_cpu, name));
        }
    }

private:
    using CTimes = std::map<std::string, double>;
    static double Time(const CTimes& times, const std::string& name) {
        auto it = times.find(name);
        return it == times.end() ? 0 : it->second;
    }
    static double Ratio(const CTimes& times, const std::string& a, const std::string& b,
                        const std::string& n) {
        double t = Time(times, b + n);
        return t > 0 ? Time(times, a + n) / t : 0;
    }
    static double Growth(const CTimes& times, const std::string& name) {
        double t = Time(times, name + "1000");
        return t > 0 ? Time(times, name + "100000") / t : 0;
    }

    CTimes m_real;
    CTimes m_cpu;
};

}  // namespace
}  // namespace tq

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    tq::CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    return 0;
}
