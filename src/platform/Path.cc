#include "platform/PathShared.h"

#include <cctype>

#include "platform/Cp932.h"
#include "platform/Path.h"
#include "platform/Win32Error.h"

namespace tq {

bool IsDriveLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool HasDrivePrefix(std::string_view s) {
    return s.size() >= 2 && IsDriveLetter(s[0]) && s[1] == ':';
}

bool EndsWithBackslash(std::string_view s) {
    return !s.empty() && FindLastChar(s, '\\') == s.size() - 1;
}

namespace {

// Splits at single-byte backslashes; empty components and "." are dropped, ".." removes the
// previous component but never climbs above the root.
void AppendComponents(std::string_view s, std::vector<std::string>& components) {
    size_t pos = 0;
    while (pos <= s.size()) {
        size_t next = FindChar(s, '\\', pos);
        if (next == std::string_view::npos) {
            next = s.size();
        }
        std::string_view part = s.substr(pos, next - pos);
        if (part == "..") {
            if (!components.empty()) {
                components.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            components.emplace_back(part);
        }
        pos = next + 1;
    }
}

// Takes "\\server\share\rest" apart; false when the server or the share is missing or the
// path is a device or long-path form ("\\?\", "\\.\"), which this layer does not offer.
bool SplitUnc(std::string_view s, std::string& root, std::string_view& rest) {
    size_t server = 2;
    size_t shareStart = FindChar(s, '\\', server);
    if (shareStart == std::string_view::npos || shareStart == server) {
        return false;
    }
    std::string_view serverName = s.substr(server, shareStart - server);
    if (serverName == "?" || serverName == ".") {
        return false;
    }
    size_t shareEnd = FindChar(s, '\\', shareStart + 1);
    if (shareEnd == std::string_view::npos) {
        shareEnd = s.size();
    }
    if (shareEnd == shareStart + 1) {
        return false;
    }
    root = std::string(s.substr(0, shareEnd));
    rest = shareEnd < s.size() ? s.substr(shareEnd + 1) : std::string_view();
    return true;
}

}  // namespace

std::string JoinWinPath(const CWinPath& p) {
    std::string out = p.m_strRoot + "\\";
    for (size_t i = 0; i < p.m_components.size(); ++i) {
        if (i > 0) {
            out += '\\';
        }
        out += p.m_components[i];
    }
    if (p.m_bTrailingSlash && !p.m_components.empty()) {
        out += '\\';
    }
    return out;
}

int32_t ParseWinPath(std::string_view s, CWinPath& out) {
    out = CWinPath();
    std::string_view rest;
    if (s.size() >= 2 && s[0] == '\\' && s[1] == '\\') {
        if (!SplitUnc(s, out.m_strRoot, rest)) {
            return ERROR_INVALID_NAME;
        }
        out.m_bUnc = true;
    } else if (HasDrivePrefix(s) && (s.size() == 2 || s[2] == '\\')) {
        out.m_strRoot = std::string(s.substr(0, 2));
        rest = s.size() > 3 ? s.substr(3) : std::string_view();
    } else {
        return ERROR_INVALID_NAME;
    }
    AppendComponents(rest, out.m_components);
    out.m_bTrailingSlash = EndsWithBackslash(rest);
    return ERROR_SUCCESS;
}

int32_t FullPathAgainst(const std::string& strPath, const std::string& cwd, std::string& strFull) {
    if (strPath.empty() || !IsWellFormedCp932(strPath)) {
        return ERROR_INVALID_NAME;
    }
    std::string s = strPath;
    for (char& c : s) {
        if (c == '/') {  // 0x2F is never the second byte of a double-byte character
            c = '\\';
        }
    }
    std::string absolute;
    if (s.size() >= 2 && s[0] == '\\' && s[1] == '\\') {
        absolute = s;
    } else if (HasDrivePrefix(s) && s.size() >= 3 && s[2] == '\\') {
        absolute = s;
    } else if (HasDrivePrefix(s)) {
        // "X:name": relative to the current directory when it is on drive X, else to X's root.
        bool bSameDrive = HasDrivePrefix(cwd) && std::toupper(static_cast<unsigned char>(cwd[0])) ==
                                                     std::toupper(static_cast<unsigned char>(s[0]));
        absolute = (bSameDrive ? cwd : s.substr(0, 2) + "\\") + s.substr(2);
    } else if (s[0] == '\\') {
        CWinPath cur;
        if (ParseWinPath(cwd, cur) != ERROR_SUCCESS) {
            return ERROR_INVALID_NAME;
        }
        absolute = cur.m_strRoot + s;
    } else {
        absolute = cwd + s;
    }
    CWinPath p;
    if (int32_t err = ParseWinPath(absolute, p); err != ERROR_SUCCESS) {
        return err;
    }
    strFull = JoinWinPath(p);
    return ERROR_SUCCESS;
}

int32_t GetFullPathName(const std::string& strPath, const std::string& strFolder,
                        std::string& strFull) {
    if (strFolder.empty()) {
        return GetFullPathName(strPath, strFull);
    }
    std::string folder;
    if (int32_t err = GetFullPathName(strFolder, folder); err != ERROR_SUCCESS) {
        return err;
    }
    if (!EndsWithBackslash(folder)) {
        folder += '\\';
    }
    return FullPathAgainst(strPath, folder, strFull);
}

}  // namespace tq
