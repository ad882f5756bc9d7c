#include "controlfile/CtrlLogFile.h"

#include <cstdio>
#include <ctime>

#include "platform/Cp932.h"
#include "platform/Path.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"

namespace tq {

namespace {

// "%d/%d/%d %d:%d:%d\r\n": year, month, day, hour, minute, second of the local time.
std::string LocalTimeStamp() {
    std::time_t now = std::time(nullptr);
    std::tm tmNow{};
    if (const std::tm* p = std::localtime(&now)) {
        tmNow = *p;
    }
    char buf[64];
    int n =
        std::snprintf(buf, sizeof buf, "%d/%d/%d %d:%d:%d\r\n", tmNow.tm_year + 1900,
                      tmNow.tm_mon + 1, tmNow.tm_mday, tmNow.tm_hour, tmNow.tm_min, tmNow.tm_sec);
    return std::string(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

}  // namespace

std::string FormatLogMessage(uint32_t id, const std::string* pFirst, const std::string* pSecond) {
    const char* pszText = LoadString(id);
    if (pszText == nullptr) {
        return std::string();
    }
    std::string_view text(pszText);
    std::string out;
    out.reserve(text.size() + (pFirst ? pFirst->size() : 0) + (pSecond ? pSecond->size() : 0));
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size()) {
            const std::string* pArg =
                text[i + 1] == '1' ? pFirst : (text[i + 1] == '2' && pFirst ? pSecond : nullptr);
            if (pArg != nullptr) {
                out += *pArg;
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

int32_t CCtrlLogFile::Start(const std::string& strPath) {
    if (strPath.empty()) {
        return TQ_OK;
    }
    Close();
    m_strFullPath.clear();
    std::string strFull = strPath;
    if (FindText(strPath, ":\\") == std::string_view::npos) {
        if (m_strControlFolder.empty()) {
            return TQE_REG_READ;
        }
        if (GetFullPathName(strPath, m_strControlFolder, strFull) != 0) {
            return TQE_LOG_CREATE;
        }
    }
    // Other writers are denied so that two loads cannot interleave their lines in one log.
    if (m_file.Open(strFull, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS) != 0) {
        return TQE_LOG_CREATE;
    }
    m_strFullPath = strFull;
    m_bEnabled = true;
    std::string strStamp = LocalTimeStamp();
    Message(IDS_LOG_START, &strStamp);
    return TQ_OK;
}

int32_t CCtrlLogFile::Message(uint32_t id, const std::string* pFirst, const std::string* pSecond) {
    if (!m_bEnabled) {
        return 0;
    }
    std::string text = FormatLogMessage(id, pFirst, pSecond);
    if (text.empty()) {
        return 0;
    }
    text += "\r\n";
    // Each message goes to the file in one unbuffered write, so the log is complete even if
    // the process ends right after it.
    if (m_file.Write(text.data(), static_cast<uint32_t>(text.size())) != 0) {
        return 0;
    }
    return 1;
}

bool CCtrlLogFile::Resume() {
    Close();
    if (m_strFullPath.empty() ||
        m_file.Open(m_strFullPath, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS) != 0 ||
        m_file.Seek(0, FILE_END) != 0) {
        m_file.Close();
        return false;
    }
    m_bEnabled = true;
    return true;
}

void CCtrlLogFile::Close() {
    m_file.Close();
    m_bEnabled = false;
}

int32_t CCtrlLogCollector::Message(uint32_t id, const std::string* pFirst,
                                   const std::string* pSecond) {
    std::string text = FormatLogMessage(id, pFirst, pSecond);
    if (text.empty()) {
        return 0;
    }
    m_messages.push_back(std::move(text));
    return 1;
}

}  // namespace tq
