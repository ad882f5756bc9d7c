// The indexing log: where the reader reports every problem it meets, with the offending line.
// CCtrlLogFile writes the log file that a control file's OutputLog line names; CCtrlLogCollector
// keeps the messages in memory from the first line of the file on (for checking a file without
// writing anything).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/File.h"

namespace tq {

class CProductRegKey;

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
    // pKey gives the control folder (Path\Control) for a log path without a drive.
    explicit CCtrlLogFile(const CProductRegKey* pKey = nullptr) : m_pProductKey(pKey) {}
    void SetProductKey(const CProductRegKey* pKey) { m_pProductKey = pKey; }

    // Creates (empties) the log file, denying other writers, and writes the start line. A path
    // without ":\" is taken from the control folder, which becomes the current directory.
    // 0; TQE_REG_READ when the control folder cannot be read; TQE_LOG_CREATE when the file
    // cannot be created. An empty path changes nothing. On failure the log is disabled.
    int32_t Start(const std::string& strPath) override;
    int32_t Message(uint32_t id, const std::string* pFirst = nullptr,
                    const std::string* pSecond = nullptr) override;
    void Close() override;
    bool IsEnabled() const { return m_bEnabled; }

private:
    CFile m_file;
    bool m_bEnabled = false;
    const CProductRegKey* m_pProductKey;
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
