// The module's entry points: the exports as `nm -D` shows them, registration, the unload rule,
// and the two plain functions beside editors in other processes. (Hosts creating the object
// through the registered module are the command-line host's tests.)

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>

#include "frame/AutomationObject.h"
#include "frame/ClassFactory.h"
#include "frame/ErrorTable.h"
#include "frame/Exports.h"
#include "manager/ProductFixture.h"
#include "platform/Path.h"
#include "platform/Registry.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

using test::CObject;
using test::CProductFixture;
using test::L;

const std::string kKeyPath = test::kProductPath;

TEST(ExportsTest, TheModuleExportsTheDecoratedFunctionsAndNothingElse) {
    std::string strSymbols;
    FILE* p =
        popen((std::string("nm -D --defined-only '") + TQ_MODULE_PATH + "' 2>&1").c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) {
        strSymbols.append(buf, n);
    }
    pclose(p);
    std::vector<std::string> names;
    std::istringstream lines(strSymbols);
    for (std::string line; std::getline(lines, line);) {
        if (line.find(" T ") != std::string::npos) {
            names.push_back(line.substr(line.rfind(' ') + 1));
        }
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                        "_Z16VXCSTM_GetStatusPKc", "_Z21VXCSTM_GetErrorStringiPcj",
                                        "_Z24VXCSTM_BaseInfoToControlPKc"}))
        << strSymbols;
    for (const char* bare :
         {" VXCSTM_GetStatus\n", " VXCSTM_BaseInfoToControl\n", " VXCSTM_GetErrorString\n"}) {
        EXPECT_EQ(strSymbols.find(bare), std::string::npos) << bare;
    }
}

// The default value of an HKEY_CLASSES_ROOT key.
std::string ClassesDefault(const std::string& strKey) {
    CRegKey key;
    uint32_t type = 0;
    std::string data = "-";
    if (key.Open(HKEY_CLASSES_ROOT, strKey, KEY_READ) == 0) {
        key.QueryValue("", type, data);
    }
    return data.substr(0, data.find('\0'));
}

TEST(ExportsTest, RegistrationWritesTheClassEntries) {
    test::CTempPrefix prefix;
    EXPECT_EQ(DllRegisterServer(), S_OK);
    const std::string clsid = "{FE1B0AC2-7074-11D5-99A1-00C04FB9CD98}";
    EXPECT_EQ(ClassesDefault("OW.VXCtrlFileManager.1"), "OW.VXCtrlFileManager.1");
    EXPECT_EQ(ClassesDefault("OW.VXCtrlFileManager.1\\CLSID"), clsid);
    EXPECT_EQ(ClassesDefault("CLSID\\" + clsid), "OW.VXCtrlFileManager.1");
    EXPECT_EQ(ClassesDefault("CLSID\\" + clsid + "\\ProgID"), "OW.VXCtrlFileManager.1");
    // Here the exports are linked into the test program, which is then the module file.
    std::string strServer = ClassesDefault("CLSID\\" + clsid + "\\InProcServer32");
    std::string strLinux;
    ASSERT_EQ(ResolvePath(strServer, strLinux), 0) << strServer;
    EXPECT_EQ(std::filesystem::canonical(strLinux), std::filesystem::canonical("/proc/self/exe"));
}

TEST(ExportsTest, TheModuleStaysWhileObjectsOrFactoriesAreHeld) {
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    {
        CObject obj;
        EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    CComPtr<IClassFactory> pFactory;
    ASSERT_EQ(DllGetClassObject(CLSID_CtrlFileMgr, IID_IClassFactory,
                                reinterpret_cast<void**>(pFactory.Receive())),
              S_OK);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    pFactory.Reset();
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    void* pv = reinterpret_cast<void*>(1);
    EXPECT_EQ(DllGetClassObject(IID_IDispatch, IID_IClassFactory, &pv), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(pv, nullptr);
}

TEST(ExportsTest, GetStatusAnswersFourForAMissingKey) {
    CProductFixture product;
    EXPECT_EQ(VXCSTM_GetStatus((std::string(kProductKeyBase) + "Missing").c_str()), 4);
    EXPECT_EQ(VXCSTM_GetStatus(nullptr), 4);
    EXPECT_EQ(VXCSTM_GetStatus(kKeyPath.c_str()), 0);
    // The key is there, but nothing says where the files are.
    CProductFixture::DeleteValue("Builder", "BaseControlFile");
    EXPECT_EQ(VXCSTM_GetStatus(kKeyPath.c_str()), 4);
}

struct CStamp {
    bool m_bExists = false;
    int64_t m_ns = 0;
    std::string m_strData;
    friend bool operator==(const CStamp&, const CStamp&) = default;
};

CStamp Stamp(const std::string& strPath) {
    CStamp stamp;
    struct stat st;
    if (stat(strPath.c_str(), &st) == 0) {
        stamp.m_bExists = true;
        stamp.m_ns = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
        stamp.m_strData = test::ReadLinuxFile(strPath);
    }
    return stamp;
}

TEST(ExportsTest, ConversionWritesOnlyWhatChanged) {
    CProductFixture product;
    EXPECT_EQ(VXCSTM_BaseInfoToControl(kKeyPath.c_str()), 0);
    ASSERT_FALSE(product.Control().empty());
    CStamp base = Stamp(product.C("Ctrl/base.ctl"));
    CStamp control = Stamp(product.C("Ctrl/ctrl.ctl"));
    std::string requests = CProductFixture::Values("Builder\\Request");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(VXCSTM_BaseInfoToControl(kKeyPath.c_str()), 0);
    EXPECT_EQ(Stamp(product.C("Ctrl/base.ctl")), base);
    EXPECT_EQ(Stamp(product.C("Ctrl/ctrl.ctl")), control);
    EXPECT_EQ(CProductFixture::Values("Builder\\Request"), requests);
    // No lock file is left behind, and the mutex is free again.
    EXPECT_FALSE(test::LinuxFileExists(product.C("Ctrl/base.ctl.lock")));
    EXPECT_EQ(VXCSTM_GetStatus(kKeyPath.c_str()), 0);
    EXPECT_EQ(VXCSTM_BaseInfoToControl((std::string(kProductKeyBase) + "Missing").c_str()), -1008);
    EXPECT_EQ(VXCSTM_BaseInfoToControl(nullptr), -1008);
}

// A child that loads the product in an automation object and holds it until the release
// file appears (or half a minute has passed).
TQ_CHILD_MAIN(HoldLoadedObject) {
    CObject obj;
    if (!obj.Ready() || obj.Long("Load") != 0) {
        return 1;
    }
    test::WriteLinuxFile(args.at(0), "loaded");
    for (int i = 0; i < 3000 && !test::LinuxFileExists(args.at(1)); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}

// Starts HoldLoadedObject and waits until it holds the product; -1 when it does not.
pid_t StartHolder(const CProductFixture& product, const std::string& strRelease) {
    const std::string strLoaded = product.m_prefix.Path("loaded");
    const pid_t holder = test::StartChild("HoldLoadedObject", {strLoaded, strRelease});
    for (int i = 0; i < 3000 && !test::LinuxFileExists(strLoaded); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return test::LinuxFileExists(strLoaded) ? holder : -1;
}

// Another editor in its own process, maybe as another user (who may not open the mutex's lock
// file, so the files count as locked): it sees the status args[0], and its Load is refused.
TQ_CHILD_MAIN(OtherEditor) {
    const int32_t lStatus = std::stoi(args.at(0));
    CObject obj;
    return VXCSTM_GetStatus(kKeyPath.c_str()) == lStatus && obj.Ready() &&
                   obj.Long("Load") == -1043 && obj.Long("Status") == lStatus
               ? 0
               : 1;
}

TEST(ExportsTest, AnEditorInAnotherProcessExcludesLoadsAndConversions) {
    CProductFixture product;
    ASSERT_EQ(VXCSTM_BaseInfoToControl(kKeyPath.c_str()), 0);
    const std::string strRelease = product.m_prefix.Path("release");
    const pid_t holder = StartHolder(product, strRelease);
    ASSERT_GT(holder, 0);
    // Make the base control file newer than the control file: a conversion would write.
    test::WriteLinuxFile(product.C("Ctrl/base.ctl"), test::kBaseText + "\r\n: touched\r\n");
    CStamp control = Stamp(product.C("Ctrl/ctrl.ctl"));
    std::string requests = CProductFixture::Values("Builder\\Request");

    EXPECT_EQ(test::RunChild("OtherEditor", {"1"}), 0);
    EXPECT_EQ(VXCSTM_GetStatus(kKeyPath.c_str()), 1);
    EXPECT_EQ(VXCSTM_BaseInfoToControl(kKeyPath.c_str()), -1043);
    EXPECT_EQ(Stamp(product.C("Ctrl/ctrl.ctl")), control);
    EXPECT_EQ(CProductFixture::Values("Builder\\Request"), requests);
    // The editor's lock file is what the builder sees; it stays.
    EXPECT_TRUE(test::LinuxFileExists(product.C("Ctrl/base.ctl.lock")));

    test::WriteLinuxFile(strRelease, "");
    EXPECT_EQ(test::WaitChild(holder), 0);
    EXPECT_EQ(VXCSTM_GetStatus(kKeyPath.c_str()), 0);
    EXPECT_FALSE(test::LinuxFileExists(product.C("Ctrl/base.ctl.lock")));
}

TEST(ExportsTest, AnotherUsersEditorCountsAsLocked) {
    if (!test::CanDropPrivileges()) {
        GTEST_SKIP() << "cannot drop to an unprivileged user here";
    }
    CProductFixture product;
    product.OpenRegistryToAll();
    const std::string strRelease = product.m_prefix.Path("release");
    const pid_t holder = StartHolder(product, strRelease);
    ASSERT_GT(holder, 0);
    test::CChildOptions other;
    other.m_bDropPrivileges = true;
    EXPECT_EQ(test::RunChild("OtherEditor", {"2"}, other), 0);
    test::WriteLinuxFile(strRelease, "");
    EXPECT_EQ(test::WaitChild(holder), 0);
}

}  // namespace
}  // namespace tq
