#include "platform/Path.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <memory>
#include <mutex>

#include "platform/Cp932.h"
#include "platform/PathShared.h"
#include "platform/Win32Error.h"
#include "platform/posix/Prefix.h"
#include "platform/posix/SysCalls.h"

namespace tq {
namespace {

std::mutex g_cwdMutex;
std::string g_strCwd;  // Windows form with a trailing backslash; empty until first use

std::string CurrentDirectoryLocked();

// Characters Windows refuses in a file name: control characters and < > : " / \ | ? *.
bool IsValidComponent(std::string_view c) {
    for (size_t i = 0; i < c.size(); i += CharLength(c, i)) {
        if (CharLength(c, i) == 2) {
            continue;
        }
        unsigned char b = static_cast<unsigned char>(c[i]);
        if (b < 0x20 ||
            std::string_view("<>:\"|?*").find(static_cast<char>(b)) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

// The name in folder dir that matches nameCp932 ignoring case: the exact spelling first, then
// a scan of the folder. Names on disk that have no code page 932 form never match. Of several
// spellings that differ only in case the smallest (bytewise) wins, so the answer is stable.
bool MatchComponent(const std::string& dir, const std::string& nameCp932,
                    const std::string& nameUtf8, std::string& match) {
    struct stat st;
    if (Sys().m_pfnLstat((dir + "/" + nameUtf8).c_str(), &st) == 0) {
        match = nameUtf8;
        return true;
    }
    std::unique_ptr<DIR, int (*)(DIR*)> d(Sys().m_pfnOpendir(dir.c_str()), closedir);
    if (!d) {
        return false;
    }
    bool bFound = false;
    while (struct dirent* e = readdir(d.get())) {
        std::string onDisk = e->d_name;
        std::string cp932;
        if (onDisk == "." || onDisk == ".." || Utf8ToCp932(onDisk, cp932) != ERROR_SUCCESS ||
            !EqualsNoCase(cp932, nameCp932)) {
            continue;
        }
        if (!bFound || onDisk < match) {
            match = onDisk;
            bFound = true;
        }
    }
    return bFound;
}

int32_t DriveDirectory(const CWinPath& p, std::string& dir) {
    if (p.m_bUnc) {
        for (const CDriveInfo& d : CPrefix::Current().GetDrives()) {
            if (d.m_nType == DRIVE_REMOTE && EqualsNoCase(d.m_strUncName, p.m_strRoot)) {
                dir = d.m_strLinuxDir;
                return ERROR_SUCCESS;
            }
        }
        return ERROR_PATH_NOT_FOUND;
    }
    CDriveInfo info;
    if (!CPrefix::Current().FindDrive(p.m_strRoot[0], info)) {
        return ERROR_PATH_NOT_FOUND;
    }
    dir = info.m_strLinuxDir;
    return ERROR_SUCCESS;
}

// Lexical normalisation of an absolute Linux path ("//", "/./" and "/x/.." removed).
std::string NormaliseLinuxPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t next = path.find('/', pos);
        if (next == std::string::npos) {
            next = path.size();
        }
        std::string part = path.substr(pos, next - pos);
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        pos = next + 1;
    }
    std::string out;
    for (const std::string& part : parts) {
        out += "/" + part;
    }
    return out.empty() ? "/" : out;
}

// The part of path below dir ("" for dir itself); false when path is not inside dir.
bool RelativeTo(const std::string& path, const std::string& dir, std::string& rest) {
    if (dir == "/") {
        rest = path.substr(1);
        return true;
    }
    if (path.compare(0, dir.size(), dir) != 0 ||
        (path.size() > dir.size() && path[dir.size()] != '/')) {
        return false;
    }
    rest = path.size() > dir.size() ? path.substr(dir.size() + 1) : "";
    return path.size() >= dir.size();
}

std::string CurrentDirectoryLocked() {
    if (g_strCwd.empty()) {
        char buf[PATH_MAX];
        std::string win;
        if (getcwd(buf, sizeof buf) != nullptr && ToWindowsPath(buf, win) == ERROR_SUCCESS) {
            g_strCwd = win;
        } else {
            g_strCwd = "C:\\";
        }
        if (!EndsWithBackslash(g_strCwd)) {
            g_strCwd += '\\';
        }
    }
    return g_strCwd;
}

}  // namespace

int32_t PathErrorFromErrno(int err, const std::string& strLinuxPath) {
    if (err != ENOENT) {
        return Win32FromErrno(err);
    }
    size_t slash = strLinuxPath.find_last_of('/');
    std::string parent =
        slash == std::string::npos || slash == 0 ? "/" : strLinuxPath.substr(0, slash);
    struct stat st;
    if (Sys().m_pfnStat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        return ERROR_FILE_NOT_FOUND;
    }
    return ERROR_PATH_NOT_FOUND;
}

int32_t GetFullPathName(const std::string& strPath, std::string& strFull) {
    return FullPathAgainst(strPath, GetCurrentDirectory(), strFull);
}

int32_t ResolvePath(const std::string& strWinPath, std::string& strLinuxPath) {
    std::string full;
    if (int32_t err = GetFullPathName(strWinPath, full); err != ERROR_SUCCESS) {
        return err;
    }
    if (full.size() > MAX_PATH - 1) {
        return ERROR_FILENAME_EXCED_RANGE;
    }
    CWinPath p;
    if (int32_t err = ParseWinPath(full, p); err != ERROR_SUCCESS) {
        return err;
    }
    std::string strLinux;
    if (int32_t err = DriveDirectory(p, strLinux); err != ERROR_SUCCESS) {
        return err;
    }
    bool bScanning = true;  // false once a component is missing: nothing below it can match
    for (const std::string& component : p.m_components) {
        std::string utf8;
        if (!IsValidComponent(component) || Cp932ToUtf8(component, utf8) != ERROR_SUCCESS) {
            return ERROR_INVALID_NAME;
        }
        std::string match;
        if (bScanning && MatchComponent(strLinux, component, utf8, match)) {
            utf8 = match;
        } else {
            bScanning = false;
        }
        strLinux += "/" + utf8;
    }
    strLinuxPath = strLinux;
    return ERROR_SUCCESS;
}

int32_t ToWindowsPath(const std::string& strLinuxPath, std::string& strWinPath) {
    std::string path = strLinuxPath;
    if (path.empty() || path[0] != '/') {
        char buf[PATH_MAX];
        if (getcwd(buf, sizeof buf) == nullptr) {
            return Win32FromErrno(errno);
        }
        path = std::string(buf) + "/" + path;
    }
    path = NormaliseLinuxPath(path);
    // The drive whose directory holds the path most closely; "/" (drive Z:) holds everything.
    const CDriveInfo* best = nullptr;
    std::string bestRest;
    size_t bestLen = 0;
    std::vector<CDriveInfo> drives = CPrefix::Current().GetDrives();
    for (const CDriveInfo& d : drives) {
        std::string dirs[2] = {NormaliseLinuxPath(d.m_strLinuxDir), ""};
        char real[PATH_MAX];
        if (realpath(d.m_strLinuxDir.c_str(), real) != nullptr) {
            dirs[1] = real;
        }
        for (const std::string& dir : dirs) {
            std::string rest;
            if (!dir.empty() && (best == nullptr || dir.size() > bestLen) &&
                RelativeTo(path, dir, rest)) {
                best = &d;
                bestRest = rest;
                bestLen = dir.size();
            }
        }
    }
    if (best == nullptr) {
        return ERROR_PATH_NOT_FOUND;
    }
    std::string cp932;
    if (Utf8ToCp932(bestRest, cp932) != ERROR_SUCCESS) {
        return ERROR_INVALID_NAME;
    }
    for (char& c : cp932) {
        if (c == '/') {
            c = '\\';
        }
    }
    strWinPath = std::string(1, best->m_cLetter) + ":\\" + cp932;
    return ERROR_SUCCESS;
}

std::string GetCurrentDirectory() {
    std::lock_guard<std::mutex> lock(g_cwdMutex);
    return CurrentDirectoryLocked();
}

int32_t SetCurrentDirectory(const std::string& strPath) {
    std::string full;
    std::string strLinux;
    if (int32_t err = GetFullPathName(strPath, full); err != ERROR_SUCCESS) {
        return err;
    }
    if (int32_t err = ResolvePath(full, strLinux); err != ERROR_SUCCESS) {
        return err;
    }
    struct stat st;
    if (Sys().m_pfnStat(strLinux.c_str(), &st) != 0) {
        return PathErrorFromErrno(errno, strLinux);
    }
    if (!S_ISDIR(st.st_mode)) {
        return ERROR_DIRECTORY;
    }
    if (!EndsWithBackslash(full)) {
        full += '\\';
    }
    std::lock_guard<std::mutex> lock(g_cwdMutex);
    g_strCwd = full;
    return ERROR_SUCCESS;
}

std::string GetLogicalDriveStrings() {
    std::string out;
    for (const CDriveInfo& d : CPrefix::Current().GetDrives()) {
        out += d.m_cLetter;
        out += std::string(":\\") + '\0';
    }
    out += '\0';
    return out;
}

uint32_t GetDriveType(const std::string& strRoot) {
    std::string root = strRoot;
    if (root.empty()) {
        CWinPath cur;
        if (ParseWinPath(GetCurrentDirectory(), cur) != ERROR_SUCCESS) {
            return DRIVE_NO_ROOT_DIR;
        }
        root = cur.m_strRoot;
    }
    if (root.size() >= 2 && root[0] == '\\' && root[1] == '\\') {
        CWinPath p;
        std::string dir;
        if (ParseWinPath(root, p) != ERROR_SUCCESS || !p.m_components.empty() ||
            DriveDirectory(p, dir) != ERROR_SUCCESS) {
            return DRIVE_NO_ROOT_DIR;
        }
        return DRIVE_REMOTE;
    }
    bool bRootForm =
        HasDrivePrefix(root) &&
        (root.size() == 2 || (root.size() == 3 && (root[2] == '\\' || root[2] == '/')));
    CDriveInfo info;
    if (!bRootForm || !CPrefix::Current().FindDrive(root[0], info)) {
        return DRIVE_NO_ROOT_DIR;
    }
    return info.m_nType;
}

std::string GetWindowsDirectory() {
    return "C:\\WINDOWS";
}

std::string GetSystemDirectory() {
    return "C:\\WINDOWS\\system32";
}

int32_t WNetGetUniversalName(const std::string& strPath, uint32_t bufferSize,
                             std::string& strUniversal, uint32_t& required) {
    if (!HasDrivePrefix(strPath)) {
        return ERROR_BAD_DEVICE;
    }
    CDriveInfo info;
    if (!CPrefix::Current().FindDrive(strPath[0], info) || info.m_nType != DRIVE_REMOTE ||
        info.m_strUncName.empty()) {
        return ERROR_NOT_CONNECTED;
    }
    // The provider replaces the drive by the share's name and keeps the rest as written.
    std::string unc = info.m_strUncName + strPath.substr(2);
    uint32_t needed = static_cast<uint32_t>(unc.size() + 1);
    if (bufferSize < needed) {
        required = needed;
        return ERROR_MORE_DATA;
    }
    strUniversal = unc;
    return ERROR_SUCCESS;
}

}  // namespace tq
