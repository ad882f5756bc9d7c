// The other side of the multi-process tests: a child does one thing, reports the result through
// one pipe and holds what it got until the parent closes the other pipe or kills it (or dies).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace tq::test {

// In the child: args[0] is the report pipe, args[1] the release pipe. Reports result, then
// waits until released and exits with the result.
inline int ReportAndHold(const std::vector<std::string>& args, int result) {
    const std::string text = std::to_string(result);
    char c;
    if (write(std::stoi(args[0]), text.data(), text.size()) > 0 && close(std::stoi(args[0])) == 0) {
        [[maybe_unused]] ssize_t n = read(std::stoi(args[1]), &c, 1);  // end of file: released
    }
    return result;
}

class CHeldChild {
public:
    // Starts child body strName with the pipes followed by args, and waits for its report.
    CHeldChild(const std::string& strName, const std::vector<std::string>& args,
               const CChildOptions& options = {}) {
        int report[2], release[2];
        if (pipe(report) != 0 || pipe(release) != 0) {
            return;
        }
        // Only the child's ends are inherited, so that closing ours reaches it.
        fcntl(report[0], F_SETFD, FD_CLOEXEC);
        fcntl(release[1], F_SETFD, FD_CLOEXEC);
        std::vector<std::string> all{std::to_string(report[1]), std::to_string(release[0])};
        all.insert(all.end(), args.begin(), args.end());
        m_pid = StartChild(strName, all, options);
        close(report[1]);
        close(release[0]);
        m_release = release[1];
        char buf[16];
        ssize_t n = read(report[0], buf, sizeof buf);
        close(report[0]);
        m_nResult = n > 0 ? std::stoi(std::string(buf, static_cast<size_t>(n))) : -1;
    }
    ~CHeldChild() { Release(); }
    CHeldChild(const CHeldChild&) = delete;
    CHeldChild& operator=(const CHeldChild&) = delete;

    // What the child reported; -1 when it ended without a report.
    int Result() const { return m_nResult; }
    // Lets the child exit or kills it (no chance to clean up); returns its exit status.
    int Release(bool bKill = false) {
        if (m_pid > 0) {
            if (bKill) {
                kill(m_pid, SIGKILL);
            }
            close(m_release);
            m_nStatus = WaitChild(m_pid);
            m_pid = -1;
        }
        return m_nStatus;
    }
    void Kill() { Release(true); }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    int m_nResult = -1;
    int m_nStatus = -1;
};

}  // namespace tq::test
