// A saver killed at any moment leaves both control files whole, each in one save's state, requests
// covering them, nothing in the next save's way, the sample query file and group ids as saved.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "ReliabilityFixture.h"

namespace tq {
namespace {

using test::kAppGroup;
using test::kProductPath;

// Ahead of the application group: an application filed below it renumbers the groups after it.
const std::string kManuals = "Manuals";

// A sanitized saver starts several times slower; its short run is for memory errors, not count.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kShortKills = 40;
#else
constexpr int kShortKills = 100;
#endif

std::string Numbered(const char* pszWord, int n) {
    return pszWord + std::to_string(n);
}

// Save k: "Run k" (its state), then in turn: toggle "Sel1", add "Extra k", remove it, rename.
int32_t ApplyChange(CCtrlFile& file, int k) {
    CAppliOperations apps(file);
    int32_t r = apps.RenameAppli(2, Numbered("Run ", k));
    const auto last = static_cast<int32_t>(file.GetDBCount()) - 1;
    const std::string extra = Numbered("Extra ", k);
    switch (r != 0 ? -1 : k % 4) {
        case -1:
            return r;
        case 0:
            return apps.SetDBSelected(1, file.GetDatabase(1)->IsDeselected() ? 1 : 0);
        case 1:
            r = apps.AddAppli(DBTYPE_FREE, extra);
            r = r != 0 ? r : apps.AddDBToGroup(last + 1, extra, &kManuals);
            return r != 0 ? r : apps.AddDoc(last + 1, "C:\\Docs\\extra.chm");
        case 2:
            return apps.RemoveAppli(last);
        default:
            return apps.RenameGroup(&kAppGroup, file.GetDatabase(2)->m_groups.back()->GetName(),
                                    Numbered("Group ", k));
    }
}

// The state a file holds: k after save k, from the user application's name; -1 for none.
int StateOf(const CCtrlModel& model) {
    for (const auto& pDb : model.GetDatabases()) {
        const std::string_view name = pDb->m_strPublicName;
        if (name == "MyApp" || name.starts_with("Run ")) {
            return name == "MyApp" ? 0 : std::stoi(std::string(name.substr(4)));
        }
    }
    return -1;
}

// What differs from state n ("" when nothing); the control file leaves a deselected "Sel1" out.
std::string CompareWithState(const CCtrlModel& model, int n, bool bFullForm) {
    const bool bSelOff = (n / 4) % 2 == 1;
    std::vector<std::string> expected = {"Fixed One"};
    if (bFullForm || !bSelOff) {
        expected.push_back("Selection One");
    }
    expected.push_back(n == 0 ? "MyApp" : Numbered("Run ", n));
    if (n % 4 == 1) {
        expected.push_back(Numbered("Extra ", n));
    }
    std::vector<std::string> names(model.GetDatabases().size());
    std::transform(model.GetDatabases().begin(), model.GetDatabases().end(), names.begin(),
                   [](const auto& pDb) { return std::string(pDb->m_strPublicName); });
    if (names != expected) {
        return "databases of state " + std::to_string(n) + " differ";
    }
    if (bFullForm && model.GetDatabase(1)->IsDeselected() != bSelOff) {
        return "selection of state " + std::to_string(n) + " differs";
    }
    const std::string group = n >= 3 ? Numbered("Group ", n - (n - 3) % 4) : "MyApp";
    const CCtrlDatabase& app = *model.GetDatabase(expected.size() - (n % 4 == 1 ? 2 : 1));
    if (app.m_groups.empty() || app.m_groups.back()->GetName() != group) {
        return "group of state " + std::to_string(n) + " differs";
    }
    return "";
}

// The ids as the registry keeps them for the numbers of the groups.
uint32_t SavedUniqueId(const CCtrlGroup& group) {
    CRegKey key;
    uint32_t value = 0;
    if (key.Open(HKEY_LOCAL_MACHINE, kProductPath + "\\GroupSet", KEY_READ) == 0) {
        key.QueryDword(std::to_string(group.GetId()), value);
    }
    return value;
}

// The lasting groups keep their ids (filled while 0), others get new ones; "" when all right.
std::string FindWrongGroupId(const CCtrlModel& model, std::array<uint32_t, 3>& ids,
                             const auto& idOf) {
    const CCtrlGroup* pOwn = nullptr;
    for (const auto& pDb : model.GetDatabases()) {
        if (!pDb->m_groups.empty() &&
            (pDb->m_strPublicName == "MyApp" || pDb->m_strPublicName.starts_with("Run "))) {
            pOwn = pDb->m_groups.back();
        }
    }
    std::string wrong;
    model.GetGroupSet().ForEachById([&](const CCtrlGroup& group) {
        const bool bTop = group.GetParent() == &model.GetGroupSet();
        uint32_t* pLasting = bTop && group.GetName() == kManuals    ? &ids[0]
                             : bTop && group.GetName() == kAppGroup ? &ids[1]
                             : &group == pOwn                       ? &ids[2]
                                                                    : nullptr;
        const uint32_t id = idOf(group);
        if (pLasting != nullptr && *pLasting == 0) {
            *pLasting = id;
        }
        const bool bRight = pLasting != nullptr
                                ? id == *pLasting
                                : id != 0 && std::find(ids.begin(), ids.end(), id) == ids.end();
        if (!bRight && wrong.empty()) {
            wrong = "group " + std::to_string(group.GetId()) + " " + group.GetName() + " has id " +
                    std::to_string(id);
        }
    });
    return wrong;
}

// The phase byte the saver and the test share (a Linux path); null when it cannot be mapped.
volatile char* MapPhase(const std::string& strPath) {
    const int fd = open(strPath.c_str(), O_RDWR);
    void* p = fd >= 0 ? mmap(nullptr, 1, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
    close(fd);  // the mapping keeps the file (none to close when fd is -1)
    return p == MAP_FAILED ? nullptr : static_cast<volatile char*>(p);
}

// Changes and saves the product args[0] times or until killed; phase byte (args[1]) 1 in a save.
TQ_CHILD_MAIN(SaveLoop) {
    volatile char* pPhase = MapPhase(args[1]);
    CCtrlFile file;
    if (pPhase == nullptr || file.OpenProductKey(kProductPath) != 0 || file.Load() != 0) {
        return 1;
    }
    int n = StateOf(file);
    for (int i = 0; i < std::stoi(args[0]); ++i) {
        if (ApplyChange(file, ++n) != 0) {
            return 2;
        }
        *pPhase = 1;
        const int32_t lResult = file.Save();
        *pPhase = 0;
        if (lResult != 0) {
            return 3;
        }
    }
    return 0;
}

class CrashTest : public testing::Test, public test::CSavedProduct {
protected:
    // Both files, each a whole state (m_nBase, m_nControl) in the bytes it had when first seen.
    void ReadBoth() {
        m_base = ReadBase();
        m_control = ReadCtrl();
        for (auto [pFile, pState, pSeen] : {std::tuple(&m_base, &m_nBase, &m_seenBase),
                                            std::tuple(&m_control, &m_nControl, &m_seenControl)}) {
            ASSERT_TRUE(pFile->IsWhole()) << pFile->m_strBytes;
            *pState = StateOf(*pFile->m_pModel);
            ASSERT_EQ(CompareWithState(*pFile->m_pModel, *pState, pFile == &m_base), "");
            ASSERT_EQ(pSeen->emplace(*pState, pFile->m_strBytes).first->second, pFile->m_strBytes);
        }
    }

    // The next editor after a kill saves with the groups renumbered and back (state n).
    void EditAfterKill(int n) {
        CCtrlFile file;
        ASSERT_EQ(file.OpenProductKey(kProductPath), 0);
        ASSERT_EQ(file.Load(), 0);
        const std::string name = n == 0 ? std::string("MyApp") : Numbered("Run ", n);
        m_nStaleSample += Sample() != "%%%" + name + "%%%\r\n" ? 1 : 0;
        bool bLagging =
            !FindWrongGroupId(file, m_ids, std::mem_fn(&CCtrlGroup::m_dwUniqueId)).empty();
        const auto index = static_cast<int32_t>(file.GetDBCount());
        CAppliOperations apps(file);
        ASSERT_EQ(apps.AddAppli(DBTYPE_FREE, "Shift"), 0);
        ASSERT_EQ(apps.AddDBToGroup(index, "Shift", &kManuals), 0);
        ASSERT_EQ(apps.AddDoc(index, "C:\\Docs\\shift.chm"), 0);
        for (bool bAdded : {true, false}) {
            if (!bAdded) {
                ASSERT_EQ(apps.RemoveAppli(index), 0);
            }
            ASSERT_EQ(file.Save(), 0);
            const auto saved = ReadCtrl();
            ASSERT_TRUE(saved.IsWhole());
            bLagging = bLagging || !FindWrongGroupId(*saved.m_pModel, m_ids, SavedUniqueId).empty();
        }
        m_nLagging += bLagging ? 1 : 0;
    }

    test::CSavedFile m_base, m_control;
    int m_nBase = 0, m_nControl = 0, m_nStaleSample = 0, m_nLagging = 0;
    std::map<int, std::string> m_seenBase, m_seenControl;  // the bytes of each state
    std::array<uint32_t, 3> m_ids = {};
};

TEST_F(CrashTest, KilledSaverLeavesWholeFilesRequestsThatCoverThemAndNothingInTheWay) {
    const int nKills = test::CampaignCount(kShortKills, 1000);
    const std::string phasePath = C("phase");
    test::WriteLinuxFile(phasePath, std::string(1, '\0'));
    volatile char* pPhase = MapPhase(phasePath);
    ASSERT_NE(pPhase, nullptr);

    // The kills fall from the child's start to a few saves later; the median of three runs counts.
    const auto medianRunUs = [&phasePath](const char* pszSaves) {
        std::array<int64_t, 3> times;
        for (int64_t& t : times) {
            const auto t0 = std::chrono::steady_clock::now();
            EXPECT_EQ(test::RunChild("SaveLoop", {pszSaves, phasePath}), 0);
            t = (std::chrono::steady_clock::now() - t0) / std::chrono::microseconds(1);
        }
        std::sort(times.begin(), times.end());
        return times[1];
    };
    const int64_t one = medianRunUs("1"), five = medianRunUs("5");
    ASSERT_FALSE(HasFailure());
    const int64_t save = std::max<int64_t>((five - one) / 4, 1000);
    const int64_t start = std::max<int64_t>(one - save, 0);
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int64_t> delayUs(start * 3 / 4, start + 3 * save);

    ASSERT_NO_FATAL_FAILURE(ReadBoth());
    test::CBuilderView builder;
    builder.Build(*m_control.m_pModel);
    int inSave = 0, baseOld = 0, baseNew = 0, between = 0;
    ASSERT_EQ(FindWrongGroupId(*m_control.m_pModel, m_ids, SavedUniqueId), "");
    for (int i = 0; i < nKills; ++i) {
        const int lastBase = m_nBase, lastControl = m_nControl;
        *pPhase = 0;
        const pid_t child = test::StartChild("SaveLoop", {"1000000", phasePath});
        usleep(static_cast<useconds_t>(delayUs(random)));
        kill(child, SIGKILL);
        ASSERT_EQ(test::WaitChild(child), 128 + SIGKILL) << "kill " << i;
        inSave += *pPhase;
        ASSERT_NO_FATAL_FAILURE(ReadBoth()) << "kill " << i;
        // No file goes back, nor the control file ahead of the base control file (written first).
        ASSERT_GE(m_nBase, lastBase) << "kill " << i;
        ASSERT_GE(m_nControl, lastControl) << "kill " << i;
        ASSERT_LE(m_nControl, m_nBase) << "kill " << i;
        ASSERT_EQ(builder.FindMissedRequest(*m_control.m_pModel), "") << "kill " << i;
        builder.Build(*m_control.m_pModel);
        ASSERT_NO_FATAL_FAILURE(EditAfterKill(m_nBase)) << "kill " << i;
        baseOld += m_nBase == lastBase ? 1 : 0;
        baseNew += m_nBase > lastBase ? 1 : 0;
        between += m_nControl < m_nBase ? 1 : 0;
    }
    munmap(const_cast<char*>(pPhase), 1);
    test::PrintCampaignSummary(
        "crash", std::to_string(nKills) + " kills survived, " + std::to_string(inSave) +
                     " inside a save; base control file old " + std::to_string(baseOld) + ", new " +
                     std::to_string(baseNew) + "; control file behind it " +
                     std::to_string(between) + "; sample query file on an old name " +
                     std::to_string(m_nStaleSample) + "; lagging group ids " +
                     std::to_string(m_nLagging) + "; last state " + std::to_string(m_nBase));
    EXPECT_GT(inSave, nKills / 4);
    EXPECT_GT(m_nBase, nKills / 4);  // saves went on from kill to kill
    EXPECT_GT(between, 0);           // and some kills fell between the two files
    EXPECT_EQ(m_nStaleSample, 0);
    EXPECT_EQ(m_nLagging, 0);
    // The next saves bring both files level and the builder hears of everything.
    ASSERT_EQ(test::RunChild("SaveLoop", {"2", phasePath}), 0);
    const int nBefore = m_nBase;
    ASSERT_NO_FATAL_FAILURE(ReadBoth());
    EXPECT_EQ(m_nBase, nBefore + 2);
    EXPECT_EQ(m_nControl, m_nBase);
    EXPECT_EQ(builder.FindMissedRequest(*m_control.m_pModel), "");
}

}  // namespace
}  // namespace tq
