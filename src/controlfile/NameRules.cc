#include "controlfile/NameRules.h"

#include "platform/Cp932.h"
#include "platform/Path.h"
#include "platform/Win32Error.h"

namespace tq {
namespace {

// The lead-byte rule of the trailing-backslash tests: every byte 0x80-0x9F or 0xE0-0xFF starts a
// double-byte character, even the few that code page 932 leaves unassigned, so that a broken
// sequence never lets its second byte pass for a backslash.
bool StartsDoubleByte(uint8_t b) {
    return (b >= 0x80 && b <= 0x9F) || b >= 0xE0;
}

size_t NextCharPos(std::string_view s, size_t pos) {
    return pos + (StartsDoubleByte(static_cast<uint8_t>(s[pos])) && pos + 1 < s.size() ? 2 : 1);
}

}  // namespace

size_t FindLastBackslash(std::string_view s, size_t from) {
    size_t found = std::string_view::npos;
    for (size_t pos = 0; pos < s.size(); pos = NextCharPos(s, pos)) {
        if (s[pos] == '\\' && pos >= from) {
            found = pos;
        }
    }
    return found;
}

bool EndsInBackslashChar(const std::string& s) {
    return !s.empty() && s.back() == '\\' && LastByteClass(s) == 1;
}

int32_t LastByteClass(std::string_view s) {
    int32_t cls = 0;
    for (unsigned char b : s) {
        if (cls == 2) {
            cls = 3;
        } else {
            cls = StartsDoubleByte(b) ? 2 : 1;
        }
    }
    return cls;
}

void AppendBackslash(std::string& s) {
    if (!EndsInBackslashChar(s)) {
        s.push_back('\\');
    }
}

int32_t GetPathType(const std::string& strPath, CFindData* pFind) {
    uint32_t attributes = 0;
    if (strPath.empty() || GetFileAttributes(strPath, attributes) != ERROR_SUCCESS) {
        return PATH_NONE;
    }
    if (pFind != nullptr) {
        // A search may list other entries first (a name matched by its short form); the record
        // describes the entry whose name ends the path.
        CFindFile find;
        CFindData data;
        for (int32_t rc = find.FindFirst(strPath, data); rc == ERROR_SUCCESS;
             rc = find.FindNext(data)) {
            if (data.m_strName.size() <= strPath.size() &&
                EqualsNoCase(
                    std::string_view(strPath).substr(strPath.size() - data.m_strName.size()),
                    data.m_strName)) {
                *pFind = data;
                break;
            }
        }
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PATH_FOLDER : PATH_FILE;
}

int32_t CheckDatabaseName(std::string_view strName) {
    if (strName.empty()) {
        return DBNAME_EMPTY;
    }
    if (strName.size() > 64) {
        return DBNAME_TOO_LONG;
    }
    if (EqualsNoCase(strName, "RESOURCE")) {
        return DBNAME_RESERVED;
    }
    // The name becomes a folder name and a key of the control file.
    static constexpr std::string_view kForbidden = "\\/:,;*?\"<>|";
    for (size_t pos = 0; pos < strName.size(); pos = NextCharPos(strName, pos)) {
        const auto b = static_cast<uint8_t>(strName[pos]);
        if (!StartsDoubleByte(b) && kForbidden.find(strName[pos]) != std::string_view::npos) {
            return DBNAME_BAD_CHAR;
        }
    }
    for (size_t pos = 0; pos < strName.size(); ++pos) {
        const auto b = static_cast<uint8_t>(strName[pos]);
        if (b < 0x20) {
            return DBNAME_BAD_CHAR;
        }
        if (b >= 0xA0 && b <= 0xDF) {
            return DBNAME_HALF_KANA;
        }
        if (StartsDoubleByte(b)) {
            // A lead byte at the end has no second byte at all.
            if (pos + 1 >= strName.size() || static_cast<uint8_t>(strName[pos + 1]) < 0x40) {
                return DBNAME_BAD_CHAR;
            }
            ++pos;
        }
    }
    return DBNAME_OK;
}

bool ToUniversalPath(std::string& strPath) {
    if (strPath.size() < 3) {
        return false;
    }
    const char drive = strPath[0];
    const bool bLetter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
    if (!bLetter || strPath[1] != ':' || strPath[2] != '\\' ||
        GetDriveType(strPath.substr(0, 3)) != DRIVE_REMOTE) {
        return false;
    }
    std::string universal;
    uint32_t required = 0;
    int32_t rc = WNetGetUniversalName(strPath, static_cast<uint32_t>(strPath.size()) + 524,
                                      universal, required);
    if (rc == ERROR_MORE_DATA) {
        rc = WNetGetUniversalName(strPath, required, universal, required);
    }
    if (rc != ERROR_SUCCESS) {
        return false;
    }
    strPath = std::move(universal);
    return true;
}

void SplitPath(const std::string& strPath, std::string& strFolder, std::string& strFile) {
    size_t start = 0;
    if (strPath.size() >= 2 && strPath[1] == ':' &&
        !StartsDoubleByte(static_cast<uint8_t>(strPath[0]))) {
        start = 2;
    }
    size_t end = start;  // just after the last folder separator
    for (size_t pos = start; pos < strPath.size(); pos = NextCharPos(strPath, pos)) {
        if (strPath[pos] == '\\' || strPath[pos] == '/') {
            end = pos + 1;
        }
    }
    strFolder = strPath.substr(0, end);
    strFile = strPath.substr(end);
}

bool MakeFullPath(std::string& strPath, const std::string& strFolder) {
    std::string full;
    if (GetFullPathName(strPath, strFolder, full) != ERROR_SUCCESS) {
        return false;
    }
    strPath = std::move(full);
    return true;
}

bool MakeTempName(const std::string& strFolder, std::string& strOut) {
    std::string path;
    if (GetTempFileName(strFolder, "TQ", path) != ERROR_SUCCESS) {
        return false;
    }
    // Only the unique name is wanted; the caller creates its own file under it.
    DeleteFile(path);
    strOut = std::move(path);
    return true;
}

}  // namespace tq
