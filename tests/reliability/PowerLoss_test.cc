// A power cut at any step of a save leaves files that load, each old or new, requests that cover
// the control file, and nothing the next save cannot put right. The disk is ext4 (data=ordered)
// made stricter: what a file got since its last sync may be lost in whole or in part (the synced
// or last size; each 4 KiB page on its own, torn at a 512-byte sector; a lost page past the
// synced end reads as zeros); a name made, replaced or removed reaches the disk when its folder
// is synced, until then the folder's changes survive in order up to any point (the registry's
// SQLite files alike). Each state is built in a copy of the prefix: after every step the one that
// loses all it may, then a seeded sample of cuts with every choice drawn.
#include <gtest/gtest.h>

#include <cstdio>

#include "PowerLoss.h"
#include "ReliabilityFixture.h"
#include "platform/Prefix.h"

namespace tq {
namespace {

namespace fs = std::filesystem;
using test::EContent;

// What is wrong in the files the cut left and after the next load and save ("" when nothing).
std::string CheckState(const std::string& dir, const test::CProductState& old,
                       const test::CProductState& now, const test::CBuilderView& builder,
                       bool bFirst) {
    const std::string ctrl = dir + "/drives/c/Ctrl/";
    const auto base = test::ReadSavedFile(ctrl + "base.ctl", test::kBasePath, true);
    const auto control = test::ReadSavedFile(ctrl + "ctrl.ctl", test::kControlPath, false);
    const bool bNoControl = bFirst && !fs::exists(ctrl + "ctrl.ctl");  // as before the first save
    if (!base.IsWhole() || !(control.IsWhole() || bNoControl)) {
        return base.IsWhole() ? "control file does not load" : "base control file does not load";
    }
    const EContent baseIs = test::WhichContent(base.m_strBytes, old[0], now[0]);
    if (baseIs == EContent::kNeither ||
        test::WhichContent(control.m_strBytes, old[1], now[1]) == EContent::kNeither ||
        test::WhichContent(test::ReadLinuxFile(ctrl + "sample.txt"), old[2], now[2]) ==
            EContent::kNeither) {
        return "a control file or the sample query file neither old nor new";
    }
    if (const std::string missed = bNoControl ? "" : builder.FindMissedRequest(*control.m_pModel);
        !missed.empty()) {
        return "the builder gets " + missed;
    }
    CCtrlFile next;
    if (next.OpenProductKey(test::kProductPath) != 0 || next.Load() != 0 || next.Save() != 0) {
        return "the next editor cannot load and save";
    }
    const auto saved = test::ReadSavedFile(ctrl + "ctrl.ctl", test::kControlPath, false);
    if (const std::string missed = builder.FindMissedRequest(*saved.m_pModel); !missed.empty()) {
        return "after the next save the builder gets " + missed;
    }
    if (test::ReadLinuxFile(ctrl + "sample.txt") != (baseIs == EContent::kNew ? now[2] : old[2])) {
        return "after the next save the sample query file lags the base control file";
    }
    if (test::CSavedProduct::Values("GroupSet") != (baseIs == EContent::kNew ? now[4] : old[4])) {
        return "after the next save the group ids lag the base control file";
    }
    return "";
}

std::string Describe(const test::CDiskOp& op) {  // "rename ctrl.ctl.NEW"
    static const char* const kKinds[] = {"create",      "write",  "truncate", "sync",
                                         "sync folder", "rename", "unlink",   "mkdir"};
    return std::string(kKinds[op.m_kind]) + " " + fs::path(op.m_strPath).filename().string();
}

// Each kind of save; the rename with a full registry log; renumbered groups; a first save.
const test::CSaveCase kRenumber = {"renumbering", [](CCtrlFile& f) {
                                       const std::string manuals = "Manuals";
                                       CAppliOperations apps(f);
                                       return apps.AddAppli(DBTYPE_FREE, "Added") != 0 ||
                                              apps.AddDBToGroup(3, "Added", &manuals) != 0 ||
                                              apps.AddDoc(3, "C:\\Docs\\added.chm") != 0;
                                   }};
const test::CSaveCase kFirst = {"first save", [](CCtrlFile&) { return 0; }};
struct CRow {
    const test::CSaveCase* m_pCase;
    bool m_bFullLog = false, m_bFirst = false;
};
using test::kSaveCases;
const CRow kRows[] = {{&kSaveCases[0]},      {&kSaveCases[1]},       {&kSaveCases[2]},
                      {&kSaveCases[3]},      {&kSaveCases[2], true}, {&kRenumber},
                      {&kFirst, false, true}};

TEST(PowerLossTest, EveryCutOfASaveLeavesLoadableOldOrNewFilesAndATellingRegistry) {
    test::CDiskRecorder::TapRegistry();  // before any hive connects
    std::mt19937 random(20261207);
    const int nDrawn = test::CampaignCount(15, 1700);
    int nBuilt = 0, nLoaded = 0, nSteps = 0;
    std::map<std::string, int> faults;  // what went wrong, where it was first seen -> how often
    for (const auto& [pCase, bFullLog, bFirst] : kRows) {
        test::CChangedProduct product(*pCase);
        const std::string root = product.m_prefix.GetDir();
        if (bFirst) {  // as installed: no control file, no group ids, a builder that never ran
            fs::remove(root + "/drives/c/Ctrl/ctrl.ctl");
            RegDeleteTree(HKEY_LOCAL_MACHINE, test::kProductPath + "\\GroupSet");
            product.m_builder = {};
            product.m_pFile = std::make_unique<CCtrlFile>();  // an editor that loads in the save
            ASSERT_EQ(product.m_pFile->OpenProductKey(test::kProductPath), 0);
            product.m_old = test::StateOf(product);
        }
        // A full log: a commit or two short of being copied into the hive file.
        for (int i = 0; bFullLog && fs::file_size(root + "/registry/machine.db-wal") < 996 * 4120;
             ++i) {
            char szName[8];  // not "v" + a temporary string: GCC 12 warns falsely of overlap
            std::snprintf(szName, sizeof szName, "v%d", i % 64);
            product.SetString("Filler", szName, std::to_string(i));
        }
        const std::string before = root + ".before", cut = root + ".cut";
        fs::copy(root, before, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        std::vector<test::CDiskOp> ops;
        {
            test::CDiskRecorder recorder(root);
            ASSERT_EQ(bFirst ? product.m_pFile->Load() : 0, 0);  // the load resets the requests
            ASSERT_EQ(product.m_pFile->Save(), 0) << pCase->first;
            ops = recorder.m_ops;
        }
        ASSERT_EQ(bFullLog, std::any_of(ops.begin(), ops.end(), [](const test::CDiskOp& op) {
                      return op.m_strPath.ends_with(".db") && op.m_kind == test::CDiskOp::kWrite;
                  }));
        nSteps += static_cast<int>(ops.size());
        const test::CProductState now = test::StateOf(product);
        if (bFirst) {  // no ids before: after a cut, the next save gives those this one gave
            product.m_old[4] = now[4];
        }
        std::map<std::string, std::string> first;  // fault -> the first cut that showed it
        for (size_t i = 0; i <= ops.size() + nDrawn; ++i) {
            const bool bDrawn = i > ops.size();
            const size_t k = bDrawn ? random() % (ops.size() + 1) : i;
            test::CPowerCut(ops, k, root, before, bDrawn ? &random : nullptr).Build(cut);
            ++nBuilt;
            CPrefix::Use(cut);
            const std::string fault =
                CheckState(cut, product.m_old, now, product.m_builder, bFirst);
            CPrefix::Use(root);
            fs::remove_all(cut);
            nLoaded += fault.empty() ? 1 : 0;
            if (!fault.empty()) {
                const std::string at = k == 0 ? "the start" : Describe(ops[k - 1]);
                ++faults[std::string(pCase->first) + ": " +
                         first.emplace(fault, fault + " (first after " + at + ")").first->second];
            }
        }
        fs::remove_all(before);
    }
    std::string summary = std::to_string(nBuilt) + " states built over " + std::to_string(nSteps) +
                          " steps of seven saves (four kinds, a full log, renumbering, a first " +
                          "save), " + std::to_string(nLoaded) + " loaded and whole; faults " +
                          std::to_string(nBuilt - nLoaded);
    for (const auto& [fault, n] : faults) {
        summary += "; [" + fault + "] " + std::to_string(n);
    }
    test::PrintCampaignSummary("power-loss", summary);
    EXPECT_EQ(nLoaded, nBuilt);
}

// No save makes a folder (a product comes with its own), but the layer undoes one all the same:
// a folder made and not yet synced into its parent is gone with the files synced into it.
TEST(PowerLossTest, AFolderNotSyncedIntoItsParentIsGoneWithItsFiles) {
    test::CProductFixture product;
    const std::string root = product.m_prefix.GetDir(), made = root + ".cut/drives/c/Ctrl/New";
    fs::copy(root, root + ".before", fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    test::CDiskRecorder recorder(root);  // the states are built outside what it records
    CFile file;
    ASSERT_TRUE(CreateDirectory("C:\\Ctrl\\New") == 0 &&
                file.Open("C:\\Ctrl\\New\\f", GENERIC_WRITE, 0, CREATE_ALWAYS) == 0 &&
                file.Write("x", 1) == 0 && file.Flush() == 0 && file.Close() == 0 &&
                FlushDirectory("C:\\Ctrl\\New") == 0 && FlushDirectory("C:\\Ctrl") == 0);
    const std::vector<test::CDiskOp> ops = recorder.m_ops;
    for (size_t k = 0; k <= ops.size(); ++k) {  // the parent's sync is the last step
        test::CPowerCut(ops, k, root, root + ".before", nullptr).Build(root + ".cut");
        EXPECT_EQ(fs::exists(made) + fs::exists(made + "/f"), k == ops.size() ? 2 : 0) << k;
        fs::remove_all(root + ".cut");
    }
    fs::remove_all(root + ".before");
}

}  // namespace
}  // namespace tq
