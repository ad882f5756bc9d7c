// The control-file object at scale: adding applications one after another (linear in their
// number), and a whole save of a 10,000-database model after one change, against a baseline
// measured in the same run: reading the base control file and splitting its lines with memchr.
//
//   build/bench/manager_bench   (a temporary prefix is made and removed)
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "manager/CtrlFile.h"
#include "platform/Prefix.h"
#include "platform/Registry.h"

namespace tq {
namespace {

const std::string kProductPath = std::string(kProductKeyBase) + "Bench";
// "アプリケーション"
const std::string kAppGroup = "\x83\x41\x83\x76\x83\x8A\x83\x50\x81\x5B\x83\x56\x83\x87\x83\x93";

// A private prefix with the product's registry values and folders, removed at exit.
class CBenchProduct {
public:
    CBenchProduct() {
        char tmpl[] = "/tmp/tq-bench.XXXXXX";
        m_strDir = mkdtemp(tmpl);
        CPrefix::Use(m_strDir);
        Set("", "ProductName", "Bench");
        Set("Path", "DataPath", "C:\\Data");
        Set("Path", "Control", "C:\\Ctrl");
        Set("Path", "SampleQuery", "C:\\Ctrl");
        Set("Builder", "BaseControlFile", "base.ctl");
        Set("Builder", "ControlFile", "ctrl.ctl");
        Set("Builder", "SampleQueryFile", "sample.txt");
        mkdir(Linux("Data").c_str(), 0755);
        mkdir(Linux("Ctrl").c_str(), 0755);
    }
    ~CBenchProduct() {
        std::error_code ec;
        std::filesystem::remove_all(m_strDir, ec);
    }
    std::string Linux(const std::string& rel) const { return m_strDir + "/drives/c/" + rel; }
    void WriteBase(const std::string& text) const {
        std::ofstream(Linux("Ctrl/base.ctl"), std::ios::binary) << text;
        std::filesystem::remove(Linux("Ctrl/ctrl.ctl"));
    }

private:
    static void Set(const std::string& sub, const std::string& name, const std::string& value) {
        CRegKey key;
        key.Create(HKEY_LOCAL_MACHINE, sub.empty() ? kProductPath : kProductPath + "\\" + sub,
                   KEY_ALL_ACCESS);
        key.SetString(name, value);
    }
    std::string m_strDir;
};

CBenchProduct& Product() {
    static CBenchProduct s_product;
    return s_product;
}

// A base control file of n databases in 50 top-level groups of 20 subgroups each, every
// database with documents, registry references and a date (about 800 bytes a database).
std::string MakeBaseText(int n) {
    std::string text;
    text.reserve(static_cast<size_t>(n) * 850 + 65536);
    char line[512];
    int id = 1;
    for (int top = 0; top < 50; ++top) {
        const int topId = id++;
        std::snprintf(line, sizeof line, "Group%d = \"Family %d\"\r\n", topId, top);
        text += line;
        for (int sub = 0; sub < 20; ++sub) {
            std::snprintf(line, sizeof line, "Group%d = \"%d@Shelf %d-%d\"\r\n", id++, topId, top,
                          sub);
            text += line;
        }
    }
    for (int i = 0; i < n; ++i) {
        const int group = 2 + (i % 50) * 21 + (i / 50) % 20;
        std::snprintf(line, sizeof line,
                      "[DB%05d]\r\nPublicName = \"Database %d\"\r\nGroup = %d\r\n"
                      "Doc = \"C:\\Manuals\\db%05d\\guide.chm > Database %d\"\r\n"
                      "Doc = \"C:\\Manuals\\db%05d\\reference.pdf > Database %d\"\r\n"
                      "Doc = \"<WINDOWS>\\Help\\db%05d.hlp > Database %d\"\r\n",
                      i, i, group, i, i, i, i, i, i);
        text += line;
        std::snprintf(line, sizeof line,
                      "SkipDoc = \"C:\\Manuals\\db%05d\\index.htm\"\r\n"
                      "RootPath = \"C:\\Program Files\\Vendor\\Application %05d\"\r\n"
                      "RegKey = \"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Application %05d\"\r\n"
                      "RegEntry = \"InstallDir\"\r\n"
                      "ExePath = \"C:\\Program Files\\Vendor\\Application %05d\\bin\"\r\n"
                      "ExeKey = \"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\App%05d\\shell\"\r\n"
                      "Date = \"3/15/2004 14:5:9\"\r\n\r\n",
                      i, i, i, i, i);
        text += line;
    }
    return text;
}

std::string ReadLinuxFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The baseline: read the file and split it into lines with memchr. Seconds, best of five.
double MemchrBaselineSeconds(const std::string& path) {
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        const auto t0 = std::chrono::steady_clock::now();
        const std::string text = ReadLinuxFile(path);
        size_t lines = 0;
        for (const char* p = text.data(); p < text.data() + text.size(); ++lines) {
            const void* nl = std::memchr(p, '\n', text.data() + text.size() - p);
            p = nl ? static_cast<const char*>(nl) + 1 : text.data() + text.size();
        }
        benchmark::DoNotOptimize(lines);
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

// Adds applications as the wizard does: the database, its two groups and two documents.
void BM_AddApplications(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    Product().WriteBase(MakeBaseText(0));
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto file = std::make_unique<CCtrlFile>();
        file->OpenProductKey(kProductPath);
        file->Load();
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < n; ++i) {
            const std::string name = "Application " + std::to_string(i);
            if (file->AddAppli(3, name) != 0) {
                state.SkipWithError("AddAppli failed");
                return;
            }
            const int32_t index = static_cast<int32_t>(file->GetDBCount()) - 1;
            file->AddDBToGroup(index, kAppGroup);
            file->AddDBToGroup(index, name, &kAppGroup);
            file->AddDoc(index, "C:\\Manuals\\" + name + "\\guide.chm");
            file->AddDoc(index, "C:\\Manuals\\" + name + "\\reference.pdf");
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.PauseTiming();
        file.reset();
        state.ResumeTiming();
    }
    state.counters["us_per_app"] =
        seconds * 1e6 / (static_cast<double>(n) * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_AddApplications)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A whole save of a 10,000-database model after one selection changed: the base control file
// (full form), the comparison with the control file read back, the builder's paths carried
// over, the rebuild request, the control file (builder form) and the group ids.
void BM_SaveAfterOneChange(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    Product().WriteBase(MakeBaseText(n));
    CCtrlFile file;
    file.OpenProductKey(kProductPath);
    if (file.Load() != 0 || file.Save() != 0) {
        state.SkipWithError("load or first save failed");
        return;
    }
    const std::string basePath = Product().Linux("Ctrl/base.ctl");
    const double baseline = MemchrBaselineSeconds(basePath);
    int32_t toggle = 0;
    double seconds = 0;
    for (auto _ : state) {
        file.SetDBSelected(static_cast<int32_t>(file.GetDBCount()) - 1, toggle);
        toggle ^= 1;
        const auto t0 = std::chrono::steady_clock::now();
        if (file.Save() != 0) {
            state.SkipWithError("save failed");
            return;
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    const double perSave = seconds / static_cast<double>(state.iterations());
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(basePath)) / 1e6;
    state.counters["baseline_ms"] = baseline * 1e3;
    // The figure the budget of 60 applies to.
    state.counters["x_baseline"] = perSave / baseline;
}
BENCHMARK(BM_SaveAfterOneChange)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tq

BENCHMARK_MAIN();
