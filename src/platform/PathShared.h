// What the paths of every system share (Path.h): full Windows paths taken apart and put
// together, and GetFullPathName's rules against a given current directory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tq {

// A full Windows path taken apart: its root ("C:" or "\\server\share") and its components.
struct CWinPath {
    std::string m_strRoot;
    bool m_bUnc = false;
    std::vector<std::string> m_components;
    bool m_bTrailingSlash = false;
};

bool IsDriveLetter(char c);
bool HasDrivePrefix(std::string_view s);
// True when the last character is a single-byte backslash (not the second byte of a
// double-byte character).
bool EndsWithBackslash(std::string_view s);
// Splits a full Windows path (as GetFullPathName makes it) into root and components.
int32_t ParseWinPath(std::string_view s, CWinPath& out);
std::string JoinWinPath(const CWinPath& p);
// GetFullPathName with cwd (a full path ending in "\\") standing for the current directory.
int32_t FullPathAgainst(const std::string& strPath, const std::string& cwd, std::string& strFull);

}  // namespace tq
