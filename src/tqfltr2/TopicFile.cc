#include "tqfltr2/TopicFile.h"

#include "platform/Path.h"
#include "platform/Win32Error.h"
#include "tqfltr2/Tqfltr2.h"

namespace tq {

int CTopicFile::Open(const char* pszWinPath) {
    if (pszWinPath == nullptr || *pszWinPath == '\0') {
        return TQFLTR2_UNREADABLE;
    }
    std::string strWinPath(pszWinPath);
    std::string strLinuxPath;
    uint32_t attributes = 0;
    if (ResolvePath(strWinPath, strLinuxPath) != ERROR_SUCCESS ||
        GetFileAttributes(strWinPath, attributes) != ERROR_SUCCESS ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return TQFLTR2_UNREADABLE;
    }
    CFile file;
    uint64_t size = 0;
    if (file.Open(strWinPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  OPEN_EXISTING) != ERROR_SUCCESS ||
        file.GetSize(size) != ERROR_SUCCESS) {
        return TQFLTR2_UNREADABLE;
    }
    m_strWinPath = std::move(strWinPath);
    m_strLinuxPath = std::move(strLinuxPath);
    m_file = std::move(file);
    m_nSize = size;
    return 0;
}

int CTopicFile::ReadAt(uint64_t offset, uint32_t cb, std::string& strData) {
    strData.clear();
    if (offset >= m_nSize) {
        return 0;
    }
    if (m_file.Seek(static_cast<int64_t>(offset), FILE_BEGIN) != ERROR_SUCCESS) {
        return TQFLTR2_UNREADABLE;
    }
    strData.resize(cb);
    uint32_t filled = 0;
    while (filled < cb) {
        uint32_t got = 0;
        if (m_file.Read(strData.data() + filled, cb - filled, got) != ERROR_SUCCESS) {
            strData.clear();
            return TQFLTR2_UNREADABLE;
        }
        if (got == 0) {
            break;
        }
        filled += got;
    }
    strData.resize(filled);
    return 0;
}

bool CTopicFile::CanStillOpen() const {
    CFile file;
    return file.Open(m_strWinPath, GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     OPEN_EXISTING) == ERROR_SUCCESS;
}

}  // namespace tq
