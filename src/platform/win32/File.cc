// The files of File.h on the system's calls: CreateFileA with the caller's share modes, which the
// system enforces between all of its processes, MoveFileExA, and searches through the UTF-16
// calls, so that a name without a code page 932 form is left out (and reported) rather than
// listed with '?' in it.
#include "platform/win32/SystemApi.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Cp932.h"
#include "platform/File.h"
#include "platform/FileShared.h"
#include "platform/Path.h"
#include "platform/Win32Error.h"

namespace tq {

class CFileImpl {
public:
    CFileImpl(HANDLE h, std::string strPath) : m_h(h), m_strPath(std::move(strPath)) {}
    ~CFileImpl() { ::CloseHandle(m_h); }
    CFileImpl(const CFileImpl&) = delete;
    CFileImpl& operator=(const CFileImpl&) = delete;

    HANDLE m_h;
    std::string m_strPath;
};

namespace {

int32_t LastError() {
    return static_cast<int32_t>(::GetLastError());
}

int32_t Result(BOOL bOk) {
    return bOk ? ERROR_SUCCESS : LastError();
}

}  // namespace

CFile::CFile() = default;
CFile::~CFile() = default;
CFile::CFile(CFile&&) noexcept = default;
CFile& CFile::operator=(CFile&&) noexcept = default;

int32_t CFile::Open(const std::string& strPath, uint32_t access, uint32_t share,
                    uint32_t disposition, uint32_t flags) {
    m_pImpl.reset();  // a caller that opens again lets go of its old handle first
    if (int32_t err = RunFaultHook("open", strPath); err != ERROR_SUCCESS) {
        return err;
    }
    // Windows empties a file only for a handle that may write it; Wine would empty it for any.
    if (disposition == TRUNCATE_EXISTING && (access & GENERIC_WRITE) == 0) {
        return ERROR_INVALID_PARAMETER;
    }
    HANDLE h = ::CreateFileA(strPath.c_str(), access, share, nullptr, disposition,
                             FILE_ATTRIBUTE_NORMAL | flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    m_pImpl = std::make_unique<CFileImpl>(h, strPath);
    return ERROR_SUCCESS;
}

int32_t CFile::Read(void* pBuffer, uint32_t cb, uint32_t& cbRead) {
    if (!IsOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    DWORD dwRead = 0;
    if (!::ReadFile(m_pImpl->m_h, pBuffer, cb, &dwRead, nullptr)) {
        return LastError();
    }
    cbRead = dwRead;
    return ERROR_SUCCESS;
}

int32_t CFile::Write(const void* pData, uint32_t cb) {
    if (!IsOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    if (int32_t err = RunFaultHook("write", m_pImpl->m_strPath); err != ERROR_SUCCESS) {
        return err;
    }
    HANDLE h = m_pImpl->m_h;
    LARGE_INTEGER pos{}, size{};
    if (!::SetFilePointerEx(h, {}, &pos, FILE_CURRENT) || !::GetFileSizeEx(h, &size)) {
        return LastError();
    }
    DWORD dwWritten = 0;
    if (::WriteFile(h, pData, cb, &dwWritten, nullptr) && dwWritten == cb) {
        return ERROR_SUCCESS;
    }
    const int32_t err = dwWritten == cb ? LastError() : ERROR_DISK_FULL;
    // A write that fails part way past the old end leaves no partial tail behind.
    if (pos.QuadPart >= size.QuadPart) {
        ::SetFilePointerEx(h, size, nullptr, FILE_BEGIN);
        ::SetEndOfFile(h);
    }
    ::SetFilePointerEx(h, pos, nullptr, FILE_BEGIN);
    return err;
}

int32_t CFile::Seek(int64_t offset, int origin, int64_t* pNewPos) {
    if (!IsOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    LARGE_INTEGER distance{}, pos{};
    distance.QuadPart = offset;
    if (!::SetFilePointerEx(m_pImpl->m_h, distance, &pos, static_cast<DWORD>(origin))) {
        return LastError();
    }
    if (pNewPos != nullptr) {
        *pNewPos = pos.QuadPart;
    }
    return ERROR_SUCCESS;
}

int32_t CFile::GetSize(uint64_t& size) const {
    if (!IsOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    LARGE_INTEGER li{};
    if (!::GetFileSizeEx(m_pImpl->m_h, &li)) {
        return LastError();
    }
    size = static_cast<uint64_t>(li.QuadPart);
    return ERROR_SUCCESS;
}

int32_t CFile::SetEndOfFile() {
    return IsOpen() ? Result(::SetEndOfFile(m_pImpl->m_h)) : ERROR_INVALID_HANDLE;
}

int32_t CFile::Flush() {
    if (!IsOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    if (int32_t err = RunFaultHook("flush", m_pImpl->m_strPath); err != ERROR_SUCCESS) {
        return err;
    }
    return Result(::FlushFileBuffers(m_pImpl->m_h));
}

int32_t CFile::Close() {
    if (!IsOpen()) {
        return ERROR_INVALID_HANDLE;
    }
    // A refused close leaves the handle open; the destructor closes it in the end.
    if (int32_t err = RunFaultHook("close", m_pImpl->m_strPath); err != ERROR_SUCCESS) {
        return err;
    }
    HANDLE h = std::exchange(m_pImpl->m_h, INVALID_HANDLE_VALUE);
    m_pImpl.reset();
    return Result(::CloseHandle(h));
}

bool CFile::IsOpen() const {
    return m_pImpl != nullptr;
}

const std::string& CFile::GetPath() const {
    static const std::string s_empty;
    return m_pImpl ? m_pImpl->m_strPath : s_empty;
}

int32_t GetFileAttributes(const std::string& strPath, uint32_t& attributes) {
    DWORD dw = ::GetFileAttributesA(strPath.c_str());
    if (dw == INVALID_FILE_ATTRIBUTES) {
        return LastError();
    }
    attributes = dw;
    return ERROR_SUCCESS;
}

int32_t SetFileReadOnly(const std::string& strPath, bool bReadOnly) {
    uint32_t attributes = 0;
    if (int32_t err = GetFileAttributes(strPath, attributes); err != ERROR_SUCCESS) {
        return err;
    }
    attributes =
        bReadOnly ? attributes | FILE_ATTRIBUTE_READONLY : attributes & ~FILE_ATTRIBUTE_READONLY;
    return Result(::SetFileAttributesA(strPath.c_str(), attributes));
}

int32_t DeleteFile(const std::string& strPath) {
    if (int32_t err = RunFaultHook("delete", strPath); err != ERROR_SUCCESS) {
        return err;
    }
    return Result(::DeleteFileA(strPath.c_str()));
}

namespace {

// The name a file's folder lists for the file at strPath, or "" when there is none.
std::string ListedName(const std::string& strPath) {
    WIN32_FIND_DATAA found;
    HANDLE h = ::FindFirstFileA(strPath.c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) {
        return {};
    }
    ::FindClose(h);
    return found.cFileName;
}

// After a rename that changes only the case of a name, gives the file at strPath that very
// spelling: Wine reports such a rename done and keeps the old spelling (on a file system that
// tells case apart), so the file goes through a name of its own there.
int32_t Respell(const std::string& strPath) {
    std::string strFull;
    if (GetFullPathName(strPath, strFull) != ERROR_SUCCESS ||
        ListedName(strFull) == strFull.substr(FindLastChar(strFull, '\\') + 1)) {
        return ERROR_SUCCESS;
    }
    const std::string strStep = strFull + ".respell";
    int32_t err = Result(::MoveFileExA(strFull.c_str(), strStep.c_str(), 0));
    return err != ERROR_SUCCESS ? err : Result(::MoveFileExA(strStep.c_str(), strFull.c_str(), 0));
}

}  // namespace

int32_t MoveFile(const std::string& strFrom, const std::string& strTo) {
    if (int32_t err = RunFaultHook("rename", strFrom); err != ERROR_SUCCESS) {
        return err;
    }
    int32_t err = Result(::MoveFileExA(strFrom.c_str(), strTo.c_str(), 0));
    if (err == ERROR_SUCCESS && strFrom != strTo && EqualsNoCase(strFrom, strTo)) {
        err = Respell(strTo);
    }
    return err;
}

int32_t MoveFileReplace(const std::string& strFrom, const std::string& strTo) {
    if (int32_t err = RunFaultHook("rename", strFrom); err != ERROR_SUCCESS) {
        return err;
    }
    return Result(::MoveFileExA(strFrom.c_str(), strTo.c_str(), MOVEFILE_REPLACE_EXISTING));
}

int32_t CreateDirectory(const std::string& strPath) {
    return Result(::CreateDirectoryA(strPath.c_str(), nullptr));
}

int32_t RemoveDirectory(const std::string& strPath) {
    return Result(::RemoveDirectoryA(strPath.c_str()));
}

// The file system keeps a completed rename or creation in its journal: there is nothing to
// flush, only the folder to find.
int32_t FlushDirectory(const std::string& strFolder) {
    if (int32_t err = RunFaultHook("flush", strFolder); err != ERROR_SUCCESS) {
        return err;
    }
    uint32_t attributes = 0;
    int32_t err = GetFileAttributes(strFolder, attributes);
    return err != ERROR_SUCCESS || (attributes & FILE_ATTRIBUTE_DIRECTORY) ? err : ERROR_DIRECTORY;
}

int32_t GetTempFileName(const std::string& strFolder, const std::string& strPrefix,
                        std::string& strPath) {
    char szPath[MAX_PATH];
    if (::GetTempFileNameA(strFolder.c_str(), strPrefix.c_str(), 0, szPath) == 0) {
        return LastError();
    }
    return GetFullPathName(szPath, strPath);
}

namespace {

// A UTF-16 name of the file system in code page 932; false when it has no such form.
bool NameToCp932(const wchar_t* pszName, std::string& strName) {
    return Utf16ToCp932(reinterpret_cast<const char16_t*>(pszName), strName) == ERROR_SUCCESS;
}

// The bytes of a name that has no code page 932 form, for the caller to report: UTF-8.
std::string NameOnDisk(const wchar_t* pszName) {
    char szUtf8[4 * MAX_PATH];
    int n = ::WideCharToMultiByte(CP_UTF8, 0, pszName, -1, szUtf8, sizeof szUtf8, nullptr, nullptr);
    return n > 0 ? std::string(szUtf8, static_cast<size_t>(n - 1)) : std::string();
}

CFindData FindDataFrom(std::string strName, const WIN32_FIND_DATAW& found) {
    // FILETIME counts 100 ns steps since 1601; 11644473600 s lie between 1601 and 1970.
    const uint64_t time = (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                          found.ftLastWriteTime.dwLowDateTime;
    CFindData data;
    data.m_strName = std::move(strName);
    data.m_nAttributes = found.dwFileAttributes;
    data.m_nSize = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    data.m_nWriteTime = static_cast<int64_t>(time / 10000000) - 11644473600LL;
    return data;
}

// The system's search handle, an entry at a time: FindFirstFileW has read the first one.
class CSystemSearch : public CFindFileImpl {
public:
    CSystemSearch(HANDLE h, const WIN32_FIND_DATAW& first) : m_h(h), m_found(first) {}
    ~CSystemSearch() override { CloseSearch(); }
    CSystemSearch(const CSystemSearch&) = delete;
    CSystemSearch& operator=(const CSystemSearch&) = delete;

    void CloseSearch() override {
        if (m_h != INVALID_HANDLE_VALUE) {
            ::FindClose(m_h);
            m_h = INVALID_HANDLE_VALUE;
        }
        m_bHaveFound = false;
    }

    int32_t ReadEntry(CFindData& data, std::vector<std::string>& untranslatable) override {
        for (; m_bHaveFound; m_bHaveFound = ::FindNextFileW(m_h, &m_found) != FALSE) {
            std::string strName;
            if (!NameToCp932(m_found.cFileName, strName)) {
                untranslatable.push_back(NameOnDisk(m_found.cFileName));
                continue;
            }
            data = FindDataFrom(std::move(strName), m_found);
            m_bHaveFound = ::FindNextFileW(m_h, &m_found) != FALSE;
            return ERROR_SUCCESS;
        }
        return ERROR_NO_MORE_FILES;
    }

private:
    HANDLE m_h;
    WIN32_FIND_DATAW m_found;  // the entry read next, while m_bHaveFound
    bool m_bHaveFound = true;
};

}  // namespace

int32_t CFindFile::FindFirst(const std::string& strPattern, CFindData& data, EFindOrder order) {
    Close();
    std::u16string pattern;
    if (Cp932ToUtf16(strPattern, pattern) != ERROR_SUCCESS) {
        return ERROR_INVALID_NAME;
    }
    WIN32_FIND_DATAW found;
    HANDLE h = ::FindFirstFileW(reinterpret_cast<const wchar_t*>(pattern.c_str()), &found);
    if (h == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    return TakeFirst(std::make_unique<CSystemSearch>(h, found), data, order);
}

}  // namespace tq
