// The file under check: resolves the caller's Windows path, tells an unreadable file from one
// that can be examined, and reads it in bounded pieces at given offsets. The file stays open
// for the whole check, sharing read, write and delete access so the check never stands in the
// way of the index builder or the user.
#pragma once

#include <cstdint>
#include <string>

#include "platform/File.h"

namespace tq {

class CTopicFile {
public:
    // Opens the file for reading. Returns 0, or TQFLTR2_UNREADABLE for a null, malformed or
    // too long path, a missing file, a folder, or a file that may not be read.
    int Open(const char* pszWinPath);

    uint64_t GetSize() const { return m_nSize; }
    // The file's name on disk, for readers that open the file themselves.
    const std::string& GetLinuxPath() const { return m_strLinuxPath; }

    // Reads up to cb bytes at offset into strData (fewer only at the end of the file). Returns 0,
    // or TQFLTR2_UNREADABLE when the read fails (the file vanished or the device failed).
    int ReadAt(uint64_t offset, uint32_t cb, std::string& strData);
    // Whether the file can still be opened: after a reader that opens the file itself has
    // failed, this tells a file that went away from a damaged one.
    bool CanStillOpen() const;

private:
    std::string m_strWinPath;
    std::string m_strLinuxPath;
    CFile m_file;
    uint64_t m_nSize = 0;
};

}  // namespace tq
