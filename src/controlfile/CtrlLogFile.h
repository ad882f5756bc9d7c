// The indexing log: where the reader reports every problem it meets, with the offending line.
// CCtrlLogFile writes the log file that a control file's OutputLog line names; CCtrlLogCollector
// keeps the messages in memory from the first line of the file on (for checking a file without
// writing anything).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/File.h"

namespace tq {

// The text of log message id with "%1" and "%2" replaced by the arguments given, both in one
// pass, so an argument that itself holds "%2" appears as given. Empty for an unknown id.
std::string FormatLogMessage(uint32_t id, const std::string* pFirst = nullptr,
                             const std::string* pSecond = nullptr);

// A sink for the reader's messages.
class CCtrlLog {
public:
    virtual ~CCtrlLog() = default;
    // An OutputLog line was read: (re)start the log at that path.
    virtual int32_t Start(const std::string& strPath) = 0;
    // 1 when the message was written, 0 when not.
    virtual int32_t Message(uint32_t id, const std::string* pFirst = nullptr,
                            const std::string* pSecond = nullptr) = 0;
    virtual void Close() = 0;
};

class CCtrlLogFile : public CCtrlLog {
public:
    // The control folder (the product's Path\Control) takes a log path without a drive.
    explicit CCtrlLogFile(std::string strControlFolder = std::string())
        : m_strControlFolder(std::move(strControlFolder)) {}
    void SetControlFolder(const std::string& strFolder) { m_strControlFolder = strFolder; }

    // Creates (empties) the log file, denying other writers, and writes the start line. A path
    // without ":\" is taken relative to the control folder; the current directory stays as it
    // is. 0; TQE_REG_READ when no control folder is known for such a path; TQE_LOG_CREATE when
    // the file cannot be created. An empty path changes nothing. On failure the log is disabled.
    int32_t Start(const std::string& strPath) override;
    int32_t Message(uint32_t id, const std::string* pFirst = nullptr,
                    const std::string* pSecond = nullptr) override;
    void Close() override;
    bool IsEnabled() const { return m_bEnabled; }
    // The full path of the log the last Start created; empty when it created none.
    const std::string& GetFullPath() const { return m_strFullPath; }
    // Opens the log of the last Start again, to add lines after what the load wrote. False
    // when there is none or it cannot be opened.
    bool Resume();

private:
    CFile m_file;
    bool m_bEnabled = false;
    std::string m_strFullPath;
    std::string m_strControlFolder;
};

// Keeps every message, as if the log had been open from the first line; no start line.
class CCtrlLogCollector : public CCtrlLog {
public:
    int32_t Start(const std::string&) override { return 0; }
    int32_t Message(uint32_t id, const std::string* pFirst = nullptr,
                    const std::string* pSecond = nullptr) override;
    void Close() override {}
    const std::vector<std::string>& GetMessages() const { return m_messages; }

private:
    std::vector<std::string> m_messages;
};

}  // namespace tq
