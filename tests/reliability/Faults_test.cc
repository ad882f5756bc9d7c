// Each step of a save failing in turn: the step's code, both control files whole (old or new),
// requests covering them, and the next save (or the next editor's) puts everything right.
#include <gtest/gtest.h>

#include "ReliabilityFixture.h"
#include "platform/Faults.h"
#include "platform/Win32Error.h"
#include "resources/ErrorCodes.h"

namespace tq {
namespace {

using test::kBasePath;
using test::kControlPath;

// One operation of a save as the fault hook sees it (no path for the registry).
struct CStep {
    std::string m_strOp, m_strPath;
    bool operator==(const CStep&) const = default;
    bool IsRegistry() const { return m_strOp.starts_with("reg-"); }
};

// Records the file and registry operations in order and makes the one at nFailAt fail.
class CFaultPlan {
public:
    CFaultPlan(int nFailAt, int32_t error) {
        SetFaultHook([this, nFailAt, error](const char* op, const std::string& path) {
            m_steps.push_back({op, path});
            return static_cast<int>(m_steps.size()) - 1 == nFailAt ? error : 0;
        });
    }
    ~CFaultPlan() { SetFaultHook(nullptr); }
    std::vector<CStep> m_steps;
};

// The errors a real system gives for an operation (only the first in the short campaign).
std::vector<int32_t> ErrorsFor(const CStep& step) {
    std::vector<int32_t> errors = {ERROR_DISK_FULL};  // write, flush, close: the disk filled up
    if (step.IsRegistry()) {
        errors = {ERROR_ACCESS_DENIED, ERROR_DISK_FULL};
    } else if (step.m_strOp == "open") {
        errors = {ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED, ERROR_DISK_FULL};
    } else if (step.m_strOp == "delete" || step.m_strOp == "rename") {
        errors = {ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION};
    }
    errors.resize(test::CampaignCount(1, static_cast<int>(errors.size())));
    return errors;
}

// Where a save first makes this step.
size_t FindStep(const std::vector<CStep>& steps, const CStep& step) {
    return std::find(steps.begin(), steps.end(), step) - steps.begin();
}

// The code a save gives when step k fails.
int32_t ExpectedCode(const std::vector<CStep>& steps, size_t k) {
    const CStep& step = steps[k];
    // The file the step works for: its own, or (folder flush, registry) the last one before it.
    const auto it = std::find_if(steps.rend() - k - 1, steps.rend(), [](const CStep& s) {
        return !s.IsRegistry() && !s.m_strPath.ends_with('\\');
    });
    const std::string file = it == steps.rend() ? "" : it->m_strPath;
    if (file.empty() || file.starts_with("C:\\Data\\")) {
        // CanWriteData's probe: fails on open or registry steps; its clearing up cannot fail.
        return step.IsRegistry() || step.m_strOp == "open" ? TQE_NO_WRITE_PERMISSION : TQ_OK;
    }
    if (step.IsRegistry()) {
        return TQE_REG_WRITE;
    }
    if (file.ends_with("sample.txt") || file.ends_with("sample.txt.NEW")) {
        return file.ends_with(".NEW") ? TQE_SAMPLE_QUERY_NEW : TQE_SAMPLE_QUERY_OPEN;
    }
    if (file == kControlPath && step.m_strOp == "close" && k + 1 < steps.size() &&
        steps[k + 1].m_strOp == "rename") {
        return TQE_BASE_UPDATE;  // let go of for its replacement: a refused close keeps it open
    }
    if (file == kControlPath) {
        // Taken before the base is written so that a builder's read stops the save unchanged.
        const bool bBeforeBase = FindStep(steps, {"open", kBasePath + ".NEW"}) > k;
        return step.m_strOp == "open" && bBeforeBase ? TQE_BASE_UPDATE : TQE_BASE_OPEN;
    }
    if (file == kBasePath && step.m_strOp == "open") {
        return TQE_BASE_OPEN;  // the base control file taken up again after its replacement
    }
    return TQE_BASE_UPDATE;
}

const char* const kContentNames[] = {"old", "new", "neither"};

TEST(FaultsTest, EveryFailingStepOfASaveGivesItsCodeAndLeavesOldOrNewFiles) {
    std::string summary;
    int nSteps = 0, nFaults = 0;
    std::map<std::string, int> outcomes;  // "code base ... control ..." -> how often
    for (const test::CSaveCase& saveCase : test::kSaveCases) {
        std::vector<CStep> steps;  // the steps of the save without faults, and what it leaves
        test::CProductState reference;
        {
            test::CChangedProduct product(saveCase);
            CFaultPlan plan(-1, 0);
            ASSERT_EQ(product.m_pFile->Save(), 0) << saveCase.first;
            steps = plan.m_steps;
            reference = test::StateOf(product);
            ASSERT_NE(reference[0], product.m_old[0]);
        }
        summary += std::string(summary.empty() ? "" : ", ") + saveCase.first + " " +
                   std::to_string(steps.size()) + " steps";
        nSteps += static_cast<int>(steps.size());
        for (size_t k = 0; k < steps.size(); ++k) {
            for (int32_t error : ErrorsFor(steps[k])) {
                SCOPED_TRACE(std::string(saveCase.first) + ": step " + std::to_string(k) + " " +
                             steps[k].m_strOp + " " + steps[k].m_strPath + " error " +
                             std::to_string(error));
                test::CChangedProduct product(saveCase);
                auto plan = std::make_unique<CFaultPlan>(static_cast<int>(k), error);
                const int32_t lResult = product.m_pFile->Save();
                const std::vector<CStep> taken = std::exchange(plan, nullptr)->m_steps;
                // The same road as the save without faults (temporary names aside) up to k.
                ASSERT_GT(taken.size(), k);
                ASSERT_EQ(taken[k].m_strOp, steps[k].m_strOp);
                ASSERT_EQ(taken[k].m_strPath.substr(0, 8), steps[k].m_strPath.substr(0, 8));
                ASSERT_TRUE(taken[k].m_strPath.ends_with(".tmp") ||
                            taken[k].m_strPath == steps[k].m_strPath);
                ++nFaults;
                EXPECT_EQ(lResult, ExpectedCode(steps, k));
                const auto base = product.ReadBase(), control = product.ReadCtrl();
                ASSERT_TRUE(base.IsWhole());
                ASSERT_TRUE(control.IsWhole());
                const auto is = [&](int i, const std::string& bytes) {
                    return test::WhichContent(bytes, product.m_old[i], reference[i]);
                };
                const auto baseIs = is(0, base.m_strBytes), controlIs = is(1, control.m_strBytes);
                EXPECT_NE(baseIs, test::EContent::kNeither);
                EXPECT_NE(controlIs, test::EContent::kNeither);
                EXPECT_NE(is(2, product.Sample()), test::EContent::kNeither);
                EXPECT_EQ(product.m_builder.FindMissedRequest(*control.m_pModel), "");
                ++outcomes[std::to_string(lResult) + " base " +
                           kContentNames[static_cast<int>(baseIs)] + " control " +
                           kContentNames[static_cast<int>(controlIs)]];
                // Without the fault the same object saves, and all is as after a clean save.
                EXPECT_EQ(product.m_pFile->Save(), 0);
                EXPECT_EQ(test::StateOf(product), reference);
            }
        }
        // A save cut short at the base's reopening or the group ids: the next editor completes it.
        for (size_t k :
             {FindStep(steps, {"open", kBasePath}), FindStep(steps, {"reg-delete-key", ""})}) {
            SCOPED_TRACE(std::string(saveCase.first) + " cut short at step " + std::to_string(k));
            ASSERT_LT(k, steps.size());
            test::CChangedProduct product(saveCase);
            {
                CFaultPlan plan(static_cast<int>(k), ERROR_ACCESS_DENIED);
                EXPECT_NE(product.m_pFile->Save(), 0);
            }
            product.m_pFile.reset();
            CCtrlFile next;
            ASSERT_EQ(next.OpenProductKey(test::kProductPath), 0);
            ASSERT_EQ(next.Load(), 0);
            EXPECT_EQ(next.Save(), 0);
            EXPECT_EQ(product.Control(), reference[1]);
            EXPECT_EQ(product.m_builder.FindMissedRequest(*product.ReadCtrl().m_pModel), "");
        }
    }
    summary += " (" + std::to_string(nSteps) + " in all); " + std::to_string(nFaults) +
               " faults injected; outcomes:";
    for (const auto& [outcome, n] : outcomes) {
        summary += " [" + outcome + "] " + std::to_string(n);
    }
    test::PrintCampaignSummary("faults", summary);
}

}  // namespace
}  // namespace tq
