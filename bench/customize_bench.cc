// The desktop window opened on a product of 10,000 databases, timed from the start of the
// tqcustomize process until its list is shown (--quit-after-load, on the offscreen platform):
// module loading, the editing mutex, load and validation, every database read through the
// automation object on the loading worker, the markers of the builder's requests and the list
// filled. The baseline, in the same run: tqctl list on the same product, which loads it and
// reads every database through the automation object as well.
//
//   customize_bench [benchmark flags]
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "BenchSupport.h"

namespace tq::bench {
namespace {

constexpr int kDatabases = 10000;

#if defined(TQ_TQCTL_PATH) && defined(TQ_TQCUSTOMIZE_PATH)
const char* const kTqctl = TQ_TQCTL_PATH;
const char* const kTqcustomize = TQ_TQCUSTOMIZE_PATH;
#else
const char* const kTqctl = nullptr;
const char* const kTqcustomize = nullptr;
#endif

// The product with its module registered and both control files in place.
class CListedProduct {
public:
    CListedProduct() : m_product(m_prefix.C("")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        m_product.WriteBase(GenerateCtrlText(kDatabases));
        m_bReady = kTqctl != nullptr && Run(kTqctl, {"register"}) == 0 &&
                   Run(kTqctl, {"--product", CBenchProduct::kName, "convert"}) == 0;
    }
    bool IsReady() const { return m_bReady; }
    int Run(const char* pszTool, const std::vector<std::string>& args) const {
        return m_prefix.RunTool(pszTool, args);
    }

private:
    CBenchPrefix m_prefix;
    CBenchProduct m_product;
    bool m_bReady = false;
};

CListedProduct& Product() {
    static CListedProduct s_product;
    return s_product;
}

// One run of the tool per iteration, timed from its start to its end.
void TimeTool(benchmark::State& state, const char* pszTool, std::vector<std::string> args) {
    if (!Product().IsReady()) {
        state.SkipWithError("the tools are missing or the product could not be converted");
        return;
    }
    args.insert(args.begin(), {"--product", CBenchProduct::kName});
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const int status = Product().Run(pszTool, args);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        if (status != 0) {
            state.SkipWithError("the tool failed");
            break;
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kDatabases);
}

void BM_TqcustomizeOpen(benchmark::State& state) {
    TimeTool(state, kTqcustomize, {"--quit-after-load"});
}
BENCHMARK(BM_TqcustomizeOpen)->Apply(OnceAt<kDatabases>);

void BM_Baseline_TqctlList(benchmark::State& state) {
    TimeTool(state, kTqctl, {"list"});
}
BENCHMARK(BM_Baseline_TqctlList)->Apply(OnceAt<kDatabases>);

}  // namespace
}  // namespace tq::bench

TQ_BENCHMARK_MAIN()
