#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include "browse/FileFilter.h"
#include "dialogs/win32/ShellInfo.h"
#include "dialogs/win32/WinText.h"
#include "platform/Cp932.h"

namespace tq {

namespace {

constexpr LCID kUserLocale = 0x0400;  // the user's default locale

bool IsRoot(const std::string& strPath) {
    return strPath.size() <= 3 && strPath.size() >= 2 && strPath[1] == ':';
}

// The shell's answer about a path (by its attributes only when bByKind).
SHFILEINFOW AskShell(const std::string& strPath, bool bFolder, bool bByKind, UINT nFlags) {
    SHFILEINFOW info{};
    const DWORD nAttributes = bFolder ? 0x10 /* directory */ : 0x80 /* normal */;
    ::SHGetFileInfoW(WideFromCp932(strPath).c_str(), nAttributes, &info, sizeof info,
                     nFlags | (bByKind ? SHGFI_USEFILEATTRIBUTES : 0));
    return info;
}

}  // namespace

HIMAGELIST GetSystemSmallIcons() {
    SHFILEINFOW info{};
    return reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

std::string CShellFileInfoProvider::GetDisplayName(const std::string& strPath) const {
    if (IsRoot(strPath)) {
        std::string strName =
            Cp932FromWideLossy(AskShell(strPath, true, false, SHGFI_DISPLAYNAME).szDisplayName);
        return strName.empty() ? strPath : strName;
    }
    // A file's name is the one the folder's search gave. A folder's is asked of the file system,
    // which spells it as it is (the location box's paths are lower-cased), without the "\".
    if (strPath.empty() || strPath.back() != '\\') {
        return CPlainFileInfoProvider().GetDisplayName(strPath);
    }
    const std::string strBare = strPath.substr(0, strPath.size() - 1);
    WIN32_FIND_DATAW found{};
    HANDLE hFind = ::FindFirstFileW(WideFromCp932(strBare).c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE) {
        return CPlainFileInfoProvider().GetDisplayName(strPath);
    }
    ::FindClose(hFind);
    return Cp932FromWideLossy(found.cFileName);
}

const CShellFileInfoProvider::CKind& CShellFileInfoProvider::KindOfFile(
    const std::string& strPath) const {
    const std::string strExtension = ToUpperCp932(ExtensionOf(strPath));
    auto it = m_kinds.find(strExtension);
    if (it == m_kinds.end()) {
        SHFILEINFOW info = AskShell("x" + strExtension, false, true,
                                    SHGFI_TYPENAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        it = m_kinds.emplace(strExtension, CKind{Cp932FromWideLossy(info.szTypeName), info.iIcon})
                 .first;
    }
    return it->second;
}

std::string CShellFileInfoProvider::GetTypeName(const std::string& strPath, bool bFolder) const {
    if (!bFolder) {
        return KindOfFile(strPath).m_strTypeName;
    }
    return Cp932FromWideLossy(AskShell(strPath, true, true, SHGFI_TYPENAME).szTypeName);
}

int32_t CShellFileInfoProvider::GetIconIndex(const std::string& strPath, bool bFolder,
                                             uint32_t nForms) const {
    if (!bFolder) {
        return KindOfFile(strPath).m_nIcon;
    }
    UINT nFlags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
    nFlags |= (nForms & kIconFormOpen) ? SHGFI_OPENICON : 0;
    nFlags |= (nForms & kIconFormSelected) ? SHGFI_SELECTED : 0;
    return AskShell(strPath, true, !IsRoot(strPath), nFlags).iIcon;
}

CWinListLocale::CWinListLocale() {
    wchar_t text[16] = {};
    if (::GetLocaleInfoW(kUserLocale, LOCALE_STHOUSAND, text, 16) > 0) {
        m_strSeparator = Cp932FromWideLossy(text);
    }
    // "3;0" groups by three; "0" not at all.
    if (::GetLocaleInfoW(kUserLocale, LOCALE_SGROUPING, text, 16) > 0) {
        m_nGroupSize = text[0] >= L'0' && text[0] <= L'9' ? text[0] - L'0' : 0;
    }
}

CListDateTime CWinListLocale::ToLocalTime(int64_t nUtcSeconds) const {
    // Seconds since 1970 in the system's file time (100 ns since 1601).
    const uint64_t nTicks = static_cast<uint64_t>(nUtcSeconds + 11644473600LL) * 10000000ULL;
    FILETIME utc{static_cast<DWORD>(nTicks), static_cast<DWORD>(nTicks >> 32)};
    FILETIME local{};
    SYSTEMTIME t{};
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &t)) {
        return CListDateTime{};
    }
    return CListDateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

namespace {

SYSTEMTIME ToSystemTime(const CListDateTime& t) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(t.m_nYear);
    st.wMonth = static_cast<WORD>(t.m_nMonth);
    st.wDay = static_cast<WORD>(t.m_nDay);
    st.wHour = static_cast<WORD>(t.m_nHour);
    st.wMinute = static_cast<WORD>(t.m_nMinute);
    return st;
}

}  // namespace

std::string CWinListLocale::FormatShortDate(const CListDateTime& t) const {
    const SYSTEMTIME st = ToSystemTime(t);
    wchar_t text[80] = {};
    ::GetDateFormatW(kUserLocale, DATE_SHORTDATE, &st, nullptr, text, 80);
    return Cp932FromWideLossy(text);
}

std::string CWinListLocale::FormatTimeNoSeconds(const CListDateTime& t) const {
    const SYSTEMTIME st = ToSystemTime(t);
    wchar_t text[80] = {};
    ::GetTimeFormatW(kUserLocale, TIME_NOSECONDS, &st, nullptr, text, 80);
    return Cp932FromWideLossy(text);
}

}  // namespace tq
