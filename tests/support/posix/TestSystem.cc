// The Linux side of the test support: children by fork and exec, prefixes in temporary folders.
#include <grp.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "platform/posix/Prefix.h"
#include "platform/posix/RegFile.h"
#include "support/SupportSystem.h"
#include "support/TestSupport.h"

namespace tq::test {

constexpr uid_t kNobody = 65534;

struct CTempPrefix::CSystemState {};

int RunHostCommand(const std::string& strCommand) {
    return std::system(strCommand.c_str());
}

std::filesystem::path SourceDir() {
    return TQ_SOURCE_DIR;
}

pid_t StartChild(const std::string& strName, const std::vector<std::string>& args,
                 const CChildOptions& options) {
    std::string prefix =
        options.m_strPrefix.empty() ? CPrefix::Current().GetDir() : options.m_strPrefix;
    pid_t pid = fork();
    if (pid != 0) {
        return pid;
    }
    setenv("TQ_PREFIX", prefix.c_str(), 1);
    if (options.m_bDropPrivileges) {
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
            _exit(120);
        }
    }
    std::vector<std::string> argv{"/proc/self/exe", std::string(kChildFlag) + strName};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (auto& a : argv) {
        cargv.push_back(a.data());
    }
    cargv.push_back(nullptr);
    execv("/proc/self/exe", cargv.data());
    _exit(121);
}

int WaitChild(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return WEXITSTATUS(status);
}

int KillChild(pid_t pid) {
    kill(pid, SIGKILL);
    return WaitChild(pid);
}

void HoldUntilKilled() {
    while (true) {
        pause();
    }
}

void PrepareChild() {}

std::string StoredString(const std::string& strText) {
    return strText;
}

bool HostTakesAnyFileName() {
    return true;
}

bool AddDrive(char cLetter, uint32_t nType, const std::string& strFolder,
              const std::string& strUnc) {
    return CPrefix::Current().AddDrive({cLetter, nType, strFolder, strUnc}) == 0;
}

bool CanDropPrivileges() {
    if (geteuid() != 0) {
        return false;
    }
    pid_t pid = fork();
    if (pid == 0) {
        _exit((setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0) ? 0 : 1);
    }
    return WaitChild(pid) == 0;
}

CTempPrefix::CTempPrefix() {
    char tmpl[] = "/tmp/tq-test.XXXXXX";
    if (mkdtemp(tmpl) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    m_strDir = tmpl;
    chmod(m_strDir.c_str(), 0755);
    int32_t err = CPrefix::Use(m_strDir);
    if (err != 0) {
        throw std::runtime_error("cannot create the test prefix: error " + std::to_string(err));
    }
}

std::string CTempPrefix::Path(const std::string& strRelative) const {
    return m_strDir + "/" + strRelative;
}

CTempPrefix::~CTempPrefix() {
    std::error_code ec;
    std::filesystem::remove_all(m_strDir, ec);
}

std::string ToolPath(const std::string& strName) {
    if (const char* dir = std::getenv("TQ_TOOLS_DIR")) {
        return std::string(dir) + "/" + strName + "/" + strName;
    }
    char self[4096] = {};
    ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
    std::string exe(self, n > 0 ? static_cast<size_t>(n) : 0);
    return exe.substr(0, exe.rfind("/tests/")) + "/tools/" + strName + "/" + strName;
}

CToolRun RunTool(const std::string& strName, const std::vector<std::string>& args,
                 const std::string& strInput, const std::string& strEnv) {
    const std::string base = CPrefix::Current().GetDir() + "/.tool-run.";
    WriteLinuxFile(base + "in", strInput);
    std::string cmd = strEnv + " " + ShellQuote(ToolPath(strName));
    for (const auto& a : args) {
        cmd += ' ' + ShellQuote(a);
    }
    cmd += " <" + ShellQuote(base + "in") + " >" + ShellQuote(base + "out") + " 2>" +
           ShellQuote(base + "err");
    const int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadLinuxFile(base + "out"),
            ReadLinuxFile(base + "err")};
}

int32_t InstallDemoProduct(const CTempPrefix& prefix) {
    const std::filesystem::path demo = SourceDir() / "samples" / "demo";
    CRegFileError error;
    const int32_t lResult = ImportRegFile((demo / "demo.reg").string(), error);
    if (lResult == 0) {
        std::filesystem::copy(demo / "drive_c", prefix.Path("drives/c"),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
    }
    return lResult;
}

}  // namespace tq::test
