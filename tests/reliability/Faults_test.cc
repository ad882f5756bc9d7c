// Every file and registry operation of a save, made to fail in turn: the save gives the code of
// the step that failed, leaves both control files whole with their old or new content, the
// builder's requests cover the control file on disk, and the next save puts everything right.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "Campaign.h"
#include "ReliabilityFixture.h"
#include "platform/Win32Error.h"
#include "resources/ErrorCodes.h"

namespace tq {
namespace {

using test::kAppGroup;
using test::kProductPath;

// One operation of a save as the fault hooks see it.
struct CStep {
    bool m_bRegistry = false;
    std::string m_strOp;
    std::string m_strPath;  // the file or folder; empty for the registry
};

// Numbers the file and registry operations in the order they come, records them, and makes
// the one at m_nFailAt fail with m_error.
class CFaultPlan {
public:
    CFaultPlan(int nFailAt, int32_t error) : m_nFailAt(nFailAt), m_error(error) {
        SetFileFaultHook(
            [this](const char* op, const std::string& path) { return Next(false, op, path); });
        SetRegistryFaultHook([this](const char* op) { return Next(true, op, ""); });
    }
    ~CFaultPlan() {
        SetFileFaultHook(nullptr);
        SetRegistryFaultHook(nullptr);
    }
    const std::vector<CStep>& GetSteps() const { return m_steps; }

private:
    int32_t Next(bool bRegistry, const char* op, const std::string& path) {
        m_steps.push_back({bRegistry, op, path});
        return static_cast<int>(m_steps.size()) - 1 == m_nFailAt ? m_error : 0;
    }

    int m_nFailAt;
    int32_t m_error;
    std::vector<CStep> m_steps;
};

// The errors a real system gives for an operation: the first one in the short campaign, all
// of them at full length.
std::vector<int32_t> ErrorsFor(const CStep& step) {
    if (step.m_bRegistry) {
        return {ERROR_ACCESS_DENIED, ERROR_DISK_FULL};
    }
    if (step.m_strOp == "open") {
        return {ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED, ERROR_DISK_FULL};
    }
    if (step.m_strOp == "delete" || step.m_strOp == "rename") {
        return {ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION};
    }
    return {ERROR_DISK_FULL};  // write, flush, close: the disk filled up
}

// The file a step works for: its own, or for a folder flush or a registry operation the last
// file touched before it ("" before any).
std::string FileOfStep(const std::vector<CStep>& steps, size_t k) {
    for (size_t i = k + 1; i-- > 0;) {
        const CStep& s = steps[i];
        if (!s.m_bRegistry && !s.m_strPath.ends_with('\\')) {
            return s.m_strPath;
        }
    }
    return "";
}

// The first step of a save that is this operation on this file.
size_t FindStep(const std::vector<CStep>& steps, bool bRegistry, const char* pszOp,
                const std::string& strPath) {
    for (size_t k = 0; k < steps.size(); ++k) {
        if (steps[k].m_bRegistry == bRegistry && steps[k].m_strOp == pszOp &&
            steps[k].m_strPath == strPath) {
            return k;
        }
    }
    return steps.size();
}

// The code a save gives when step k fails.
int32_t ExpectedCode(const std::vector<CStep>& steps, size_t k) {
    const CStep& step = steps[k];
    const std::string file = FileOfStep(steps, k);
    if (file.empty() || file.starts_with("C:\\Data\\")) {
        // The probe of CanWriteData: a write it cannot make means no write access; once its
        // file was made, the rest is clearing up and cannot fail the save.
        return step.m_bRegistry || step.m_strOp == "open" ? TQE_NO_WRITE_PERMISSION : TQ_OK;
    }
    if (step.m_bRegistry) {
        return TQE_REG_WRITE;
    }
    if (file.ends_with("sample.txt")) {
        return TQE_SAMPLE_QUERY_OPEN;
    }
    if (file.ends_with("sample.txt.NEW")) {
        return TQE_SAMPLE_QUERY_NEW;
    }
    if (file == test::kControlPath) {
        // Taken before the base control file is written, so that a builder reading it stops
        // the save before anything changes; afterwards, read for the comparison.
        const bool bBeforeBase = FindStep(steps, false, "open", test::kBasePath + ".NEW") > k;
        return step.m_strOp == "open" && bBeforeBase ? TQE_BASE_UPDATE : TQE_BASE_OPEN;
    }
    if (file == test::kBasePath && step.m_strOp == "open") {
        return TQE_BASE_OPEN;  // the base control file taken up again after its replacement
    }
    return TQE_BASE_UPDATE;
}

// One kind of save: the change made before it.
struct CSaveCase {
    const char* m_pszName;
    std::function<int32_t(CCtrlFile&)> m_change;
};

const CSaveCase kCases[] = {
    {"plain change", [](CCtrlFile& f) { return f.AddDoc(2, "C:\\Docs\\more.chm"); }},
    {"selection change", [](CCtrlFile& f) { return f.SetDBSelected(1, 0); }},
    {"rename", [](CCtrlFile& f) { return f.RenameAppli(2, "Renamed"); }},
    {"add application",
     [](CCtrlFile& f) {
         int32_t r = f.AddAppli(DBTYPE_FREE, "Added");
         r = r != 0 ? r : f.AddDBToGroup(3, "Added", &kAppGroup);
         return r != 0 ? r : f.AddDoc(3, "C:\\Docs\\added.chm");
     }},
};

// Everything a save leaves behind.
struct CProductState {
    std::string m_strBase;
    std::string m_strControl;
    std::string m_strSample;
    std::string m_strRequests;
    std::string m_strGroupSet;

    static CProductState Of(const test::CSavedProduct& product) {
        return {product.Base(), product.Control(), product.Sample(),
                product.Values("Builder\\Request"), product.Values("GroupSet")};
    }
};

// A product saved once, whose requests the builder has taken, loaded and changed.
class CChangedProduct : public test::CSavedProduct {
public:
    explicit CChangedProduct(const CSaveCase& saveCase) {
        m_builder.Build(
            *test::ReadSavedFile(C("Ctrl/ctrl.ctl"), test::kControlPath, false).m_pModel);
        m_old = CProductState::Of(*this);
        EXPECT_EQ(m_pFile->OpenProductKey(kProductPath), 0);
        EXPECT_EQ(m_pFile->Load(), 0);
        EXPECT_EQ(saveCase.m_change(*m_pFile), 0);
    }

    std::unique_ptr<CCtrlFile> m_pFile = std::make_unique<CCtrlFile>();
    test::CBuilderView m_builder;
    CProductState m_old;
};

// The counts the campaign prints.
struct CCounts {
    int m_nSteps = 0;
    int m_nFaults = 0;
    std::map<std::string, int> m_outcomes;  // "code/base/control" -> how often
};

const char* ContentName(test::EContent c) {
    return c == test::EContent::kOld ? "old" : c == test::EContent::kNew ? "new" : "neither";
}

class FaultsTest : public testing::Test {
protected:
    // The steps of the save without faults, and what it leaves.
    static void RecordSave(const CSaveCase& saveCase, std::vector<CStep>& steps,
                           CProductState& reference) {
        CChangedProduct product(saveCase);
        CFaultPlan plan(-1, 0);
        ASSERT_EQ(product.m_pFile->Save(), 0) << saveCase.m_pszName;
        steps = plan.GetSteps();
        reference = CProductState::Of(product);
        ASSERT_NE(reference.m_strBase, product.m_old.m_strBase);
    }

    // Saves with step k failing, checks what is left, saves again without the fault.
    void FailOneStep(const CSaveCase& saveCase, const std::vector<CStep>& steps, size_t k,
                     int32_t error, const CProductState& reference, CCounts& counts) {
        const std::string where = std::string(saveCase.m_pszName) + ": step " + std::to_string(k) +
                                  " " + (steps[k].m_bRegistry ? "reg " : "") + steps[k].m_strOp +
                                  " " + steps[k].m_strPath + " error " + std::to_string(error);
        CChangedProduct product(saveCase);
        int32_t lResult = 0;
        {
            CFaultPlan plan(static_cast<int>(k), error);
            lResult = product.m_pFile->Save();
            // The same road as the save without faults (temporary names aside) up to step k.
            ASSERT_GT(plan.GetSteps().size(), k) << where;
            const CStep& taken = plan.GetSteps()[k];
            ASSERT_EQ(taken.m_strOp, steps[k].m_strOp) << where;
            ASSERT_EQ(taken.m_strPath.substr(0, 8), steps[k].m_strPath.substr(0, 8)) << where;
            ASSERT_EQ(taken.m_strPath.ends_with(".tmp") || taken.m_strPath == steps[k].m_strPath,
                      true)
                << where;
        }
        ++counts.m_nFaults;
        EXPECT_EQ(lResult, ExpectedCode(steps, k)) << where;
        const auto base = test::ReadSavedFile(product.C("Ctrl/base.ctl"), test::kBasePath, true);
        const auto control =
            test::ReadSavedFile(product.C("Ctrl/ctrl.ctl"), test::kControlPath, false);
        ASSERT_TRUE(base.IsWhole()) << where;
        ASSERT_TRUE(control.IsWhole()) << where;
        const auto baseIs =
            test::WhichContent(base.m_strBytes, product.m_old.m_strBase, reference.m_strBase);
        const auto controlIs = test::WhichContent(control.m_strBytes, product.m_old.m_strControl,
                                                  reference.m_strControl);
        EXPECT_NE(baseIs, test::EContent::kNeither) << where;
        EXPECT_NE(controlIs, test::EContent::kNeither) << where;
        EXPECT_NE(
            test::WhichContent(product.Sample(), product.m_old.m_strSample, reference.m_strSample),
            test::EContent::kNeither)
            << where;
        EXPECT_EQ(product.m_builder.FindMissedRequest(*control.m_pModel), "") << where;
        ++counts.m_outcomes[std::to_string(lResult) + " base " + ContentName(baseIs) + " control " +
                            ContentName(controlIs)];
        // Without the fault the same object saves, and everything is as after a clean save.
        EXPECT_EQ(product.m_pFile->Save(), 0) << where;
        const CProductState after = CProductState::Of(product);
        EXPECT_EQ(after.m_strBase, reference.m_strBase) << where;
        EXPECT_EQ(after.m_strControl, reference.m_strControl) << where;
        EXPECT_EQ(after.m_strSample, reference.m_strSample) << where;
        EXPECT_EQ(after.m_strRequests, reference.m_strRequests) << where;
        EXPECT_EQ(after.m_strGroupSet, reference.m_strGroupSet) << where;
    }
};

TEST_F(FaultsTest, EveryFailingStepOfASaveGivesItsCodeAndLeavesOldOrNewFiles) {
    std::string summary;
    CCounts counts;
    for (const CSaveCase& saveCase : kCases) {
        std::vector<CStep> steps;
        CProductState reference;
        ASSERT_NO_FATAL_FAILURE(RecordSave(saveCase, steps, reference));
        summary += std::string(summary.empty() ? "" : ", ") + saveCase.m_pszName + " " +
                   std::to_string(steps.size()) + " steps";
        counts.m_nSteps += static_cast<int>(steps.size());
        for (size_t k = 0; k < steps.size(); ++k) {
            std::vector<int32_t> errors = ErrorsFor(steps[k]);
            if (!test::IsFullLength()) {
                errors.resize(1);
            }
            for (int32_t error : errors) {
                FailOneStep(saveCase, steps, k, error, reference, counts);
                if (HasFatalFailure()) {
                    return;
                }
            }
        }
    }
    summary += " (" + std::to_string(counts.m_nSteps) + " in all); " +
               std::to_string(counts.m_nFaults) + " faults injected; outcomes:";
    for (const auto& [outcome, n] : counts.m_outcomes) {
        summary += " [" + outcome + "] " + std::to_string(n);
    }
    test::PrintCampaignSummary("faults", summary);
}

// An editor whose save stopped after the base control file (taking it up again after its
// replacement), or after the builder's file (at the group ids), and that then went
// away: the next editor loads the new base control file with nothing marked. Its save brings
// the builder's file level and still tells the builder everything that changed.
TEST_F(FaultsTest, SaveCutShortIsCompletedByTheNextEditor) {
    for (const CSaveCase& saveCase : kCases) {
        std::vector<CStep> steps;
        CProductState reference;
        ASSERT_NO_FATAL_FAILURE(RecordSave(saveCase, steps, reference));
        for (size_t k : {FindStep(steps, false, "open", test::kBasePath),
                         FindStep(steps, true, "delete-key", "")}) {
            ASSERT_LT(k, steps.size()) << saveCase.m_pszName;
            CChangedProduct product(saveCase);
            {
                CFaultPlan plan(static_cast<int>(k), ERROR_ACCESS_DENIED);
                EXPECT_NE(product.m_pFile->Save(), 0);
            }
            product.m_pFile.reset();
            CCtrlFile next;
            ASSERT_EQ(next.OpenProductKey(kProductPath), 0);
            ASSERT_EQ(next.Load(), 0);
            EXPECT_EQ(next.Save(), 0);
            EXPECT_EQ(product.Control(), reference.m_strControl) << saveCase.m_pszName << k;
            const auto control =
                test::ReadSavedFile(product.C("Ctrl/ctrl.ctl"), test::kControlPath, false);
            EXPECT_EQ(product.m_builder.FindMissedRequest(*control.m_pModel), "")
                << saveCase.m_pszName << " step " << k;
        }
    }
}

}  // namespace
}  // namespace tq
