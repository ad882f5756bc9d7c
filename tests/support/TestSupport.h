// Test support: a private prefix per test, and child processes for multi-process cases. The
// same tests run on Linux, over the platform layer's emulation, and on Windows (under Wine),
// over the system; what differs between the two is behind this interface (tests/support/posix,
// tests/support/win32).
//
// A test program re-executes itself to run a child: TQ_CHILD_MAIN(name) { ... } defines a child
// body that receives its arguments and returns the exit status; StartChild/RunChild run it in a
// new process (on Linux optionally after dropping to an unprivileged user, since the tests run as
// root and root ignores permission bits).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tq::test {

using ChildMain = std::function<int(const std::vector<std::string>& args)>;
bool RegisterChild(const std::string& strName, ChildMain fn);

#define TQ_CHILD_MAIN(name)                                                                    \
    static int TqChild_##name(const std::vector<std::string>& args);                           \
    static const bool g_bTqChildReg_##name = ::tq::test::RegisterChild(#name, TqChild_##name); \
    static int TqChild_##name([[maybe_unused]] const std::vector<std::string>& args)

struct CChildOptions {
    bool m_bDropPrivileges = false;  // run as the unprivileged user "nobody" (uid 65534)
    std::string m_strPrefix;         // the child's prefix (GetDir); the current one when empty
};

// Starts a child and returns its pid (the caller waits with WaitChild or kills it).
pid_t StartChild(const std::string& strName, const std::vector<std::string>& args,
                 const CChildOptions& options = {});
// Waits for a child; returns its exit status, or 128 + signal when it was killed.
int WaitChild(pid_t pid);
// StartChild + WaitChild.
int RunChild(const std::string& strName, const std::vector<std::string>& args,
             const CChildOptions& options = {});
// Ends a child at once, as SIGKILL does on Linux, and waits for it: kKilledStatus.
constexpr int kKilledStatus = 128 + 9;
int KillChild(pid_t pid);
// Keeps a child alive until its parent kills it.
[[noreturn]] void HoldUntilKilled();
// Waits (about 10 s at most) until a file exists at a host path; false when it never does.
bool WaitForFile(const std::string& strPath);

// Whether this process can drop to an unprivileged user (it runs as root). Tests of denied
// access call GTEST_SKIP() with a reason when it cannot, so they never pass vacuously. Never on
// Windows: Wine runs everything as an administrator whom the system refuses nothing.
bool CanDropPrivileges();

// A fresh machine for one test, made current for the process and undone at destruction.
// On Linux a prefix in a temporary folder, world-accessible so that an unprivileged child can
// reach it. On Windows a temporary folder and temporary registry keys that stand in for
// HKEY_LOCAL_MACHINE (with HKEY_CLASSES_ROOT below it), HKEY_CURRENT_USER and HKEY_USERS in this
// process and its children; the prefix's drive C is the system's drive C, of which the test
// machine's owner (Wine's prefix of the build tree) holds nothing else, and what a test adds at
// its top is removed again. The tests that share drive C run one at a time.
class CTempPrefix {
public:
    CTempPrefix();
    ~CTempPrefix();
    CTempPrefix(const CTempPrefix&) = delete;
    CTempPrefix& operator=(const CTempPrefix&) = delete;
    const std::string& GetDir() const { return m_strDir; }
    // A host path (UTF-8) inside the prefix; "drives/c/..." is on the prefix's drive C.
    std::string Path(const std::string& strRelative) const;

private:
    struct CSystemState;
    std::string m_strDir;
    std::unique_ptr<CSystemState> m_pState;
};

// Linux only (the tools and the demo's registry file are not built for Windows yet):
// Path of a tool built beside the tests: $TQ_TOOLS_DIR/<name>/<name>, else found from the test
// program's own place in the build tree.
std::string ToolPath(const std::string& strName);
// Quotes one word for /bin/sh.
std::string ShellQuote(const std::string& s);

struct CToolRun {
    int m_nExit = -1;  // -1 when the tool did not exit by itself
    std::string m_strOut;
    std::string m_strErr;
};
// Runs a tool built beside the tests with standard input from strInput; strEnv ("NAME=value")
// stands before the command. Its streams are kept in the current prefix's folder.
CToolRun RunTool(const std::string& strName, const std::vector<std::string>& args,
                 const std::string& strInput = "", const std::string& strEnv = "");

// Runs a command of the host's shell with the host's tools (chmcmd, qpdf) and gives its exit
// status. On Windows the test programs run under Wine, which cannot start the host's programs:
// the command goes to the server scripts/windows.sh runs (win32/host_commands.sh, its folder in
// TQ_HOST_COMMANDS), which reads the drive paths in it as the host's; without it, -1.
int RunHostCommand(const std::string& strCommand);

// Adds a drive of type nType (DRIVE_FIXED, DRIVE_REMOTE with its UNC name) over the folder at a
// host path to the test machine: on Linux to the prefix's drives. False on Windows, where the
// drives and their network provider are Wine's prefix's own; a test that needs one says so and
// is skipped.
bool AddDrive(char cLetter, uint32_t nType, const std::string& strFolder,
              const std::string& strUnc = "");

// The bytes the registry keeps of a REG_SZ value written from strText without its terminating
// NUL: on Linux exactly those; Windows adds the NUL that follows the text in the writer's memory.
std::string StoredString(const std::string& strText);

// Whether the host's file system takes any name Linux does (characters Windows forbids, bytes
// that are no UTF-8), for a test that meets such names.
bool HostTakesAnyFileName();

// Small file helpers on host paths (a Linux path, or a Windows path, in UTF-8), for arranging and
// inspecting test data.
std::string ReadLinuxFile(const std::string& strPath);
void WriteLinuxFile(const std::string& strPath, const std::string& strData);
bool LinuxFileExists(const std::string& strPath);
void MakeLinuxDir(const std::string& strPath);

// Installs the demo product (samples/demo) in the prefix: imports its registry and copies its
// drive C. 0, or the import's error.
int32_t InstallDemoProduct(const CTempPrefix& prefix);

// One input of a fuzz target's seed corpus (fuzz/corpus/NAME), as its replay test reads it.
struct CCorpusFile {
    std::string m_strName;  // the file name, without the folder
    std::string m_strBytes;
};
// The regular files of fuzz/corpus/strTarget of the source tree, sorted by name; empty when the
// folder is missing.
std::vector<CCorpusFile> ReadCorpus(const std::string& strTarget);

}  // namespace tq::test
