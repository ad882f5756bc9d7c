// A whole conversion of a product's base control file of 100,000 databases into its control
// file, timed from the start of the tqctl process to its end (module loading, the editing
// mutex, load and validation, the comparison, the builder-form write, the group ids in the
// registry and the sample query file). Every run starts without a control file, as the first
// conversion after an installation does. The baseline, in the same run: reading the base
// control file and splitting its lines with memchr, plus fwrite and the flushes of every file
// the conversion writes, with the same bytes.
//
//   convert_bench [benchmark flags]
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"

namespace tq::bench {
namespace {

constexpr int kDatabases = 100000;

#ifdef TQ_TQCTL_PATH
const char* const kTqctl = TQ_TQCTL_PATH;
#else
const char* const kTqctl = nullptr;
#endif

// The product with its module registered and its base control file in place.
class CConvertProduct {
public:
    CConvertProduct() : m_product(m_prefix.C("")) {
        m_product.WriteBase(GenerateCtrlText(kDatabases));
        m_bReady = kTqctl != nullptr && Tqctl({"register"}) == 0;
    }

    bool IsReady() const { return m_bReady; }
    const CBenchProduct& Product() const { return m_product; }
    std::string Folder(const std::string& strName) const { return m_prefix.C("Ctrl/" + strName); }

    // One conversion from a product without a control file: 0 on success, and its seconds.
    int Convert(double& seconds) {
        std::error_code ec;
        std::filesystem::remove(m_product.ControlPath(), ec);
        const auto t0 = std::chrono::steady_clock::now();
        int status = Tqctl({"--product", CBenchProduct::kName, "convert"});
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        return status;
    }

private:
    int Tqctl(const std::vector<std::string>& args) const { return m_prefix.RunTool(kTqctl, args); }

    CBenchPrefix m_prefix;
    CBenchProduct m_product;
    bool m_bReady = false;
};

CConvertProduct& Product() {
    static CConvertProduct s_product;
    return s_product;
}

void BM_TqctlConvert(benchmark::State& state) {
    if (!Product().IsReady()) {
        state.SkipWithError("tqctl missing or its module not registered");
        return;
    }
    for (auto _ : state) {
        double seconds = 0;
        if (Product().Convert(seconds) != 0) {
            state.SkipWithError("tqctl convert failed");
            break;
        }
        state.SetIterationTime(seconds);
    }
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations()) *
        static_cast<int64_t>(std::filesystem::file_size(Product().Product().BasePath())));
}
BENCHMARK(BM_TqctlConvert)->Apply(OnceAt<kDatabases>);

// What one conversion writes: the control file, and the base control file again when the
// conversion changed it (it renumbers the groups, for instance). Taken from a conversion run.
struct CWrittenFiles {
    std::string m_strControl;
    std::string m_strBase;  // empty when the base control file stays as it was
};

// Converts once (the first time only) and keeps what the conversion wrote; null on failure.
const CWrittenFiles* WrittenFiles() {
    static const std::unique_ptr<CWrittenFiles> s_pFiles = [] {
        auto pFiles = std::make_unique<CWrittenFiles>();
        const std::string strBefore = ReadHostFile(Product().Product().BasePath());
        double seconds = 0;
        if (!Product().IsReady() || Product().Convert(seconds) != 0) {
            return std::unique_ptr<CWrittenFiles>();
        }
        pFiles->m_strControl = ReadHostFile(Product().Product().ControlPath());
        std::string strAfter = ReadHostFile(Product().Product().BasePath());
        if (strAfter != strBefore) {
            pFiles->m_strBase = std::move(strAfter);
        }
        return pFiles;
    }();
    return s_pFiles.get();
}

void BM_Baseline_ConvertIo(benchmark::State& state) {
    const CWrittenFiles* pFiles = WrittenFiles();
    if (pFiles == nullptr) {
        state.SkipWithError("tqctl convert failed");
        return;
    }
    const CWrittenFiles& files = *pFiles;
    const std::string strBase = Product().Product().BasePath();
    std::string buffer;
    ReadAndSplit(strBase, buffer);
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(ReadAndSplit(strBase, buffer));
        bool bOk = WriteAndFlush(Product().Folder("baseline-ctrl.ctl"), files.m_strControl) &&
                   (files.m_strBase.empty() ||
                    WriteAndFlush(Product().Folder("baseline-base.ctl"), files.m_strBase));
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        if (!bOk) {
            state.SkipWithError("fwrite failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(strBase)));
    state.counters["base_rewritten"] = files.m_strBase.empty() ? 0 : 1;
}
BENCHMARK(BM_Baseline_ConvertIo)->Apply(OnceAt<kDatabases>);

}  // namespace
}  // namespace tq::bench

TQ_BENCHMARK_MAIN()
