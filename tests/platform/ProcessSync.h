// The other side of the multi-process tests of files, share locks and mutexes: a child process
// does one thing (opens a file, creates a mutex ...), reports the result and holds what it got
// until the parent releases or kills it.
#pragma once

#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/Prefix.h"
#include "support/TestSupport.h"

namespace tq::test {

inline bool WaitForFile(const std::string& strPath, int timeoutMs = 10000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!LinuxFileExists(strPath) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return LinuxFileExists(strPath);
}

// In the child: args[0] is the report file, args[1] the release file. Reports result, then
// waits until released (at most 30 s) and exits with the result.
inline int ReportAndHold(const std::vector<std::string>& args, int result) {
    WriteLinuxFile(args[0] + ".part", std::to_string(result));
    rename((args[0] + ".part").c_str(), args[0].c_str());
    WaitForFile(args[1], 30000);
    return result;
}

class CHeldChild {
public:
    // Starts child body strName with the report and release files followed by args, and waits
    // for its report.
    CHeldChild(const std::string& strName, const std::vector<std::string>& args,
               const CChildOptions& options = {}) {
        static int s_nCounter = 0;
        std::string dir = CPrefix::Current().GetDir() + "/sync";
        mkdir(dir.c_str(), 0777);
        chmod(dir.c_str(), 0777);  // a child that dropped its privileges writes here too
        std::string base =
            dir + "/" + std::to_string(getpid()) + "-" + std::to_string(++s_nCounter);
        m_strReport = base + ".report";
        m_strRelease = base + ".release";
        std::vector<std::string> all{m_strReport, m_strRelease};
        all.insert(all.end(), args.begin(), args.end());
        m_pid = StartChild(strName, all, options);
        m_nResult = WaitForFile(m_strReport) ? std::stoi(ReadLinuxFile(m_strReport)) : -1;
    }
    ~CHeldChild() { Release(); }
    CHeldChild(const CHeldChild&) = delete;
    CHeldChild& operator=(const CHeldChild&) = delete;

    // What the child reported; -1 when it did not report in time.
    int Result() const { return m_nResult; }
    // Lets the child exit, or kills it with SIGKILL (it gets no chance to clean up), and waits
    // for it; returns its exit status.
    int Release(bool bKill = false) {
        if (m_pid > 0) {
            if (bKill) {
                kill(m_pid, SIGKILL);
            } else {
                WriteLinuxFile(m_strRelease, "");
            }
            m_nStatus = WaitChild(m_pid);
            m_pid = -1;
        }
        return m_nStatus;
    }
    void Kill() { Release(true); }

private:
    pid_t m_pid = -1;
    int m_nResult = -1;
    int m_nStatus = -1;
    std::string m_strReport, m_strRelease;
};

}  // namespace tq::test
