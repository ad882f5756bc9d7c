// The record of one row of the file list: what the dialogs and the check job read of a listed
// file or folder, and the texts of its detail columns.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

struct CFileListItem {
    std::string m_strPath;         // full path; a folder's ends in "\"
    std::string m_strDisplayName;  // the text of the row
    std::string m_strExtension;    // a file's extension with its dot, as in its name
    bool m_bFolder = false;
    std::string m_strTypeName;
    uint64_t m_nSize = 0;         // bytes; 0 for folders
    int64_t m_nWriteTime = 0;     // last write, seconds since 1970-01-01 UTC
    std::string m_strAttributes;  // "RHSA" letters
    int32_t m_nIcon = 0;          // index in the icon list of the file information provider
    // The detail columns' texts, made only once the details view shows the row (they need a
    // date conversion and locale formatting each).
    bool m_bDetailsShown = false;
    std::string m_strSizeText;  // empty for folders
    std::string m_strDateText;
};

}  // namespace tq
