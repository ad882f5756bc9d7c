#include "support/TestSupport.h"

#include <grp.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include "gtest/gtest.h"
#include "platform/posix/Prefix.h"
#include "platform/posix/RegFile.h"

namespace tq::test {
namespace {

constexpr const char* kChildFlag = "--tq-child=";
constexpr uid_t kNobody = 65534;

// The source tree: this file is tests/support/TestSupport.cc in it.
std::filesystem::path SourceDir() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
}

std::map<std::string, ChildMain>& Children() {
    static std::map<std::string, ChildMain> s_children;
    return s_children;
}

}  // namespace

bool RegisterChild(const std::string& strName, ChildMain fn) {
    Children()[strName] = std::move(fn);
    return true;
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
    std::vector<std::string> argv{"/proc/self/exe", kChildFlag + strName};
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

int RunChild(const std::string& strName, const std::vector<std::string>& args,
             const CChildOptions& options) {
    return WaitChild(StartChild(strName, args, options));
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

std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
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

std::string ReadLinuxFile(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
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

std::vector<CCorpusFile> ReadCorpus(const std::string& strTarget) {
    const std::filesystem::path dir = SourceDir() / "fuzz" / "corpus" / strTarget;
    std::vector<CCorpusFile> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (entry.is_regular_file()) {
            files.push_back({entry.path().filename().string(), ReadLinuxFile(entry.path())});
        }
    }
    std::ranges::sort(files, {}, &CCorpusFile::m_strName);
    return files;
}

void WriteLinuxFile(const std::string& strPath, const std::string& strData) {
    std::filesystem::create_directories(std::filesystem::path(strPath).parent_path());
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out.write(strData.data(), static_cast<std::streamsize>(strData.size()));
}

bool LinuxFileExists(const std::string& strPath) {
    struct stat st;
    return lstat(strPath.c_str(), &st) == 0;
}

}  // namespace tq::test

// The test programs' main: runs a child body when asked to, else the Google Test suite.
int main(int argc, char** argv) {
    if (argc >= 2 && std::strncmp(argv[1], "--tq-child=", 11) == 0) {
        auto& children = tq::test::Children();
        auto it = children.find(argv[1] + 11);
        if (it == children.end()) {
            return 122;
        }
        std::vector<std::string> args(argv + 2, argv + argc);
        return it->second(args);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
