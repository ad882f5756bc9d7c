// What the shell tells about files on Windows, for the file list and the location box: display
// names, type names and the indices of their small icons in the system's icon list; and the
// user's conventions for the list's sizes and dates from the system's locale.
#pragma once

#include <map>
#include <string>

#include "browse/FileInfoProvider.h"
#include "browse/ListLocale.h"
#include "dialogs/win32/DialogApi.h"

namespace tq {

// The system's list of small icons, which the file list and the location box share (never
// destroyed: it is the system's).
HIMAGELIST GetSystemSmallIcons();

class CShellFileInfoProvider : public CFileInfoProvider {
public:
    // Drives and folders are asked of the shell itself; files by their extension only, so that a
    // folder of many files does not open each one (their type and icon follow the extension).
    std::string GetDisplayName(const std::string& strPath) const override;
    std::string GetTypeName(const std::string& strPath, bool bFolder) const override;
    int32_t GetIconIndex(const std::string& strPath, bool bFolder, uint32_t nForms) const override;

private:
    struct CKind {
        std::string m_strTypeName;
        int32_t m_nIcon = 0;
    };
    const CKind& KindOfFile(const std::string& strPath) const;

    mutable std::map<std::string, CKind> m_kinds;  // by upper-case extension
};

// Thousands separator and grouping from the user's locale; dates in its short form and times
// without seconds, on the local clock.
class CWinListLocale : public CListLocale {
public:
    CWinListLocale();
    std::string GetThousandsSeparator() const override { return m_strSeparator; }
    int32_t GetGroupSize() const override { return m_nGroupSize; }
    CListDateTime ToLocalTime(int64_t nUtcSeconds) const override;
    std::string FormatShortDate(const CListDateTime& t) const override;
    std::string FormatTimeNoSeconds(const CListDateTime& t) const override;

private:
    std::string m_strSeparator;
    int32_t m_nGroupSize = 3;
};

}  // namespace tq
