// Test support: a private prefix per test, and child processes for multi-process cases.
//
// A test program re-executes itself to run a child: TQ_CHILD_MAIN(name) { ... } defines a child
// body that receives its arguments and returns the exit status; StartChild/RunChild run it in a
// new process (optionally after dropping to an unprivileged user, since the tests run as root
// and root ignores permission bits).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
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
    std::string m_strPrefix;         // TQ_PREFIX for the child; the current prefix when empty
};

// Starts a child and returns its pid (the caller waits with WaitChild or kills it).
pid_t StartChild(const std::string& strName, const std::vector<std::string>& args,
                 const CChildOptions& options = {});
// Waits for a child; returns its exit status, or 128 + signal when it was killed.
int WaitChild(pid_t pid);
// StartChild + WaitChild.
int RunChild(const std::string& strName, const std::vector<std::string>& args,
             const CChildOptions& options = {});

// Whether this process can drop to an unprivileged user (it runs as root). Tests of denied
// access call GTEST_SKIP() with a reason when it cannot, so they never pass vacuously.
bool CanDropPrivileges();

// A fresh prefix in a temporary folder, made current for the process; removed at destruction.
// The folder is world-accessible so that an unprivileged child can reach it.
class CTempPrefix {
public:
    CTempPrefix();
    ~CTempPrefix();
    const std::string& GetDir() const { return m_strDir; }
    // A Linux path inside the prefix.
    std::string Path(const std::string& strRelative) const { return m_strDir + "/" + strRelative; }

private:
    std::string m_strDir;
};

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

// Small file helpers on Linux paths, for arranging and inspecting test data.
std::string ReadLinuxFile(const std::string& strPath);
void WriteLinuxFile(const std::string& strPath, const std::string& strData);
bool LinuxFileExists(const std::string& strPath);

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
