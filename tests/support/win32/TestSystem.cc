// The Windows side of the test support: children by CreateProcess, and a test machine made of
// temporary registry keys that stand in for the predefined roots (RegOverridePredefKey, in this
// process and, through the environment, in its children) and a temporary folder.
#include "platform/win32/SystemApi.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>

#include "platform/Path.h"
#include "platform/Registry.h"
#include "platform/Win32Error.h"
#include "support/SupportSystem.h"
#include "support/TestSupport.h"

namespace tq::test {
namespace {

// The variable that hands a child its parent's test registry: the key below the real
// HKEY_CURRENT_USER that holds the stand-ins.
constexpr const char* kRegistryVariable = "TQ_TEST_REGISTRY";
constexpr const char* kTestKeys = "Software\\TrellisquestTests\\";

// The system's handle of a predefined key.
::HKEY SystemKey(HKEY root) {
    return reinterpret_cast<::HKEY>(
        static_cast<intptr_t>(static_cast<int32_t>(static_cast<uint32_t>(root))));
}

// The roots a test machine stands in for, with the stand-in's path below its key.
struct CStandIn {
    HKEY m_root;
    const char* m_pszPath;
};
const CStandIn kStandIns[] = {
    {HKEY_LOCAL_MACHINE, "Machine"},
    {HKEY_CLASSES_ROOT, "Machine\\SOFTWARE\\Classes"},
    {HKEY_CURRENT_USER, "User"},
    {HKEY_USERS, "Users"},
};
constexpr size_t kRoots = std::size(kStandIns);

// The real HKEY_CURRENT_USER, opened before any stand-in takes its place.
::HKEY RealUserKey() {
    static ::HKEY s_hUser = [] {
        ::HKEY h = nullptr;
        ::RegOpenKeyExA(SystemKey(HKEY_CURRENT_USER), "", 0, KEY_ALL_ACCESS, &h);
        return h;
    }();
    return s_hUser;
}

// What the machine's own registry says, for the stand-in of HKEY_LOCAL_MACHINE.
std::string ProgramFilesDir() {
    static const std::string s_dir = [] {
        char sz[MAX_PATH] = {};
        DWORD cb = sizeof sz;
        ::RegGetValueA(SystemKey(HKEY_LOCAL_MACHINE),
                       "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                       RRF_RT_REG_SZ, nullptr, sz, &cb);
        return std::string(sz);
    }();
    return s_dir;
}

// The stand-ins now in force, innermost last, so that a machine made inside another gives the
// outer one back when it goes.
std::vector<std::array<::HKEY, kRoots>>& Overrides() {
    static std::vector<std::array<::HKEY, kRoots>> s_stack;
    return s_stack;
}

void Override(const std::array<::HKEY, kRoots>& keys) {
    for (size_t i = 0; i < kRoots; ++i) {
        ::RegOverridePredefKey(SystemKey(kStandIns[i].m_root), keys[i]);
    }
}

// Opens (creating) the stand-ins below the test key and puts them in place of the roots.
bool TakeOver(const std::string& strTestKey, std::array<::HKEY, kRoots>& keys) {
    for (size_t i = 0; i < kRoots; ++i) {
        const std::string strKey = strTestKey + "\\" + kStandIns[i].m_pszPath;
        if (::RegCreateKeyExA(RealUserKey(), strKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &keys[i], nullptr) != ERROR_SUCCESS) {
            return false;
        }
    }
    Override(keys);
    Overrides().push_back(keys);
    return true;
}

// The names at the top of drive C.
std::set<std::wstring> TopOfDriveC() {
    std::set<std::wstring> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(L"C:\\", ec)) {
        names.insert(entry.path().filename().wstring());
    }
    return names;
}

std::map<pid_t, HANDLE>& Processes() {
    static std::map<pid_t, HANDLE> s_processes;
    return s_processes;
}

// One argument of a command line, quoted as the C runtime splits it again.
std::string QuoteArgument(const std::string& arg) {
    std::string quoted = "\"";
    size_t nBackslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++nBackslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * nBackslashes + 1 : nBackslashes, '\\');
        nBackslashes = 0;
        quoted += c;
    }
    return quoted.append(2 * nBackslashes, '\\') + "\"";
}

}  // namespace

struct CTempPrefix::CSystemState {
    std::string m_strTestKey;  // below the real HKEY_CURRENT_USER
    std::array<::HKEY, kRoots> m_keys = {};
    std::set<std::wstring> m_driveC;  // what drive C held before
};

int RunHostCommand(const std::string& strCommand) {
    const char* pszDir = std::getenv("TQ_HOST_COMMANDS");
    if (pszDir == nullptr) {
        return -1;
    }
    // The command appears whole (renamed into place); its answer likewise.
    static std::atomic<int> s_nCommand = 0;
    const std::filesystem::path base =
        std::filesystem::path(pszDir) /
        (std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++s_nCommand));
    WriteLinuxFile(base.string() + ".new", strCommand);
    std::filesystem::rename(base.string() + ".new", base.string() + ".cmd");
    for (int i = 0; i < 6000; ++i, ::Sleep(20)) {
        if (std::filesystem::exists(base.string() + ".rc")) {
            int nStatus = std::stoi("0" + ReadLinuxFile(base.string() + ".rc"));
            std::filesystem::remove(base.string() + ".rc");
            return nStatus;
        }
    }
    return -1;  // no server
}

std::filesystem::path SourceDir() {
    return std::filesystem::path("Z:") / TQ_SOURCE_DIR;  // Wine's drive Z: is the Linux root
}

CTempPrefix::CTempPrefix() : m_pState(std::make_unique<CSystemState>()) {
    static int s_nCount = 0;
    const std::string strId =
        std::to_string(::GetCurrentProcessId()) + "." + std::to_string(++s_nCount);
    char szTemp[MAX_PATH] = {};
    ::GetTempPathA(sizeof szTemp, szTemp);
    m_strDir = std::string(szTemp) + "tq-test." + strId;
    // Wine gives process ids again soon: what a killed test of the same id left goes first.
    std::error_code error;
    std::filesystem::remove_all(m_strDir, error);
    std::filesystem::create_directories(m_strDir);
    ProgramFilesDir();
    m_pState->m_strTestKey = kTestKeys + strId;
    ::RegDeleteTreeA(RealUserKey(), m_pState->m_strTestKey.c_str());
    if (!TakeOver(m_pState->m_strTestKey, m_pState->m_keys)) {
        throw std::runtime_error("cannot make the test registry " + m_pState->m_strTestKey);
    }
    ::SetEnvironmentVariableA(kRegistryVariable, m_pState->m_strTestKey.c_str());
    CRegKey key;  // what a new machine holds: the Program Files folder
    key.Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", KEY_ALL_ACCESS);
    key.SetString("ProgramFilesDir", ProgramFilesDir());
    m_pState->m_driveC = TopOfDriveC();
}

CTempPrefix::~CTempPrefix() {
    std::error_code ec;
    for (const std::wstring& name : TopOfDriveC()) {
        if (m_pState->m_driveC.count(name) == 0) {
            std::filesystem::remove_all(std::filesystem::path(L"C:\\") / name, ec);
        }
    }
    Overrides().pop_back();
    if (Overrides().empty()) {
        Override({});
        ::SetEnvironmentVariableA(kRegistryVariable, nullptr);
    } else {
        Override(Overrides().back());
    }
    for (::HKEY h : m_pState->m_keys) {
        ::RegCloseKey(h);
    }
    ::RegDeleteTreeA(RealUserKey(), m_pState->m_strTestKey.c_str());
    std::filesystem::remove_all(m_strDir, ec);
}

std::string CTempPrefix::Path(const std::string& strRelative) const {
    const std::string kDriveC = "drives/c";
    if (strRelative.compare(0, kDriveC.size(), kDriveC) == 0) {
        return "C:\\" + strRelative.substr(std::min(strRelative.size(), kDriveC.size() + 1));
    }
    return m_strDir + "\\" + strRelative;
}

void PrepareChild() {
    char szKey[MAX_PATH] = {};
    if (::GetEnvironmentVariableA(kRegistryVariable, szKey, sizeof szKey) > 0) {
        static std::array<::HKEY, kRoots> s_keys = {};
        TakeOver(szKey, s_keys);
    }
}

pid_t StartChild(const std::string& strName, const std::vector<std::string>& args,
                 const CChildOptions&) {
    char szSelf[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, szSelf, sizeof szSelf);
    std::string cmd = QuoteArgument(szSelf) + " " + QuoteArgument(kChildFlag + strName);
    for (const std::string& arg : args) {
        cmd += " " + QuoteArgument(arg);
    }
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(szSelf, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi)) {
        return -1;
    }
    ::CloseHandle(pi.hThread);
    const pid_t pid = static_cast<pid_t>(pi.dwProcessId);
    Processes()[pid] = pi.hProcess;
    return pid;
}

int WaitChild(pid_t pid) {
    auto it = Processes().find(pid);
    if (it == Processes().end()) {
        return -1;
    }
    DWORD code = 0;
    ::WaitForSingleObject(it->second, INFINITE);
    ::GetExitCodeProcess(it->second, &code);
    ::CloseHandle(it->second);
    Processes().erase(it);
    return static_cast<int>(code);
}

int KillChild(pid_t pid) {
    auto it = Processes().find(pid);
    if (it != Processes().end()) {
        ::TerminateProcess(it->second, kKilledStatus);
    }
    return WaitChild(pid);
}

void HoldUntilKilled() {
    while (true) {
        ::Sleep(INFINITE);
    }
}

bool CanDropPrivileges() {
    return false;
}

std::string StoredString(const std::string& strText) {
    return strText + '\0';
}

bool HostTakesAnyFileName() {
    return false;
}

bool AddDrive(char, uint32_t, const std::string&, const std::string&) {
    return false;
}

}  // namespace tq::test
