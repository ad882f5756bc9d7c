// Files with Windows semantics: CreateFile-like opens with access and share modes, delete,
// rename, attributes, find with wildcards, temporary names. Paths are Windows paths in code
// page 932 (see Path.h). Share modes are enforced between every process that uses this layer
// through the lock protocol described in ShareLock.h; a conflicting open, or a delete or rename
// of a file held open without delete sharing, fails with ERROR_SHARING_VIOLATION. Tests make
// these operations fail through Faults.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tq {

constexpr uint32_t GENERIC_READ = 0x80000000u;
constexpr uint32_t GENERIC_WRITE = 0x40000000u;
constexpr uint32_t DELETE_ACCESS = 0x00010000u;  // DELETE

constexpr uint32_t FILE_SHARE_NONE = 0;
constexpr uint32_t FILE_SHARE_READ = 1;
constexpr uint32_t FILE_SHARE_WRITE = 2;
constexpr uint32_t FILE_SHARE_DELETE = 4;

constexpr uint32_t CREATE_NEW = 1;
constexpr uint32_t CREATE_ALWAYS = 2;
constexpr uint32_t OPEN_EXISTING = 3;
constexpr uint32_t OPEN_ALWAYS = 4;
constexpr uint32_t TRUNCATE_EXISTING = 5;

constexpr uint32_t FILE_FLAG_DELETE_ON_CLOSE = 0x04000000u;

constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
constexpr uint32_t FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

constexpr int FILE_BEGIN = 0;
constexpr int FILE_CURRENT = 1;
constexpr int FILE_END = 2;

class CFileImpl;

// An open file (the handle of CreateFile). Closed by its destructor.
class CFile {
public:
    CFile();
    ~CFile();
    CFile(CFile&&) noexcept;
    CFile& operator=(CFile&&) noexcept;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // CreateFile. access: GENERIC_READ | GENERIC_WRITE | DELETE_ACCESS; share: FILE_SHARE_*;
    // disposition: CREATE_NEW ... TRUNCATE_EXISTING; flags: FILE_FLAG_DELETE_ON_CLOSE.
    // Errors: ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_FILE_EXISTS (CREATE_NEW),
    // ERROR_ACCESS_DENIED (also for a folder), ERROR_SHARING_VIOLATION, ERROR_INVALID_NAME,
    // ERROR_INVALID_PARAMETER (an unknown disposition; TRUNCATE_EXISTING without GENERIC_WRITE).
    // FILE_FLAG_DELETE_ON_CLOSE adds DELETE_ACCESS, as CreateFile does. CREATE_ALWAYS and
    // TRUNCATE_EXISTING empty the file only after the share test has passed.
    int32_t Open(const std::string& strPath, uint32_t access, uint32_t share, uint32_t disposition,
                 uint32_t flags = 0);
    // Reads up to cb bytes; cbRead = 0 at the end of the file.
    int32_t Read(void* pBuffer, uint32_t cb, uint32_t& cbRead);
    // Writes all cb bytes or fails (ERROR_DISK_FULL, ERROR_WRITE_FAULT ...); a write that fails
    // part way past the old end of the file takes its partial tail back off.
    int32_t Write(const void* pData, uint32_t cb);
    // origin: FILE_BEGIN, FILE_CURRENT, FILE_END; ERROR_NEGATIVE_SEEK before the start.
    int32_t Seek(int64_t offset, int origin, int64_t* pNewPos = nullptr);
    int32_t GetSize(uint64_t& size) const;
    int32_t SetEndOfFile();
    // Flushes the file's data to the disk (FlushFileBuffers).
    int32_t Flush();
    // Closes the handle and releases its share locks; returns the close's error, if any. With
    // FILE_FLAG_DELETE_ON_CLOSE the file is deleted here.
    int32_t Close();
    bool IsOpen() const;
    // The Windows path given to Open.
    const std::string& GetPath() const;

private:
    std::unique_ptr<CFileImpl> m_pImpl;
};

// GetFileAttributes: attributes, or an error (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND ...).
// Hidden means the name begins with a dot; read-only means the user may not write the file.
int32_t GetFileAttributes(const std::string& strPath, uint32_t& attributes);
int32_t SetFileReadOnly(const std::string& strPath, bool bReadOnly);
// DeleteFile: ERROR_SHARING_VIOLATION while a handle without FILE_SHARE_DELETE is open.
int32_t DeleteFile(const std::string& strPath);
// MoveFile: fails with ERROR_ALREADY_EXISTS when the target exists (a target that is the
// source itself under another case renames it to the new spelling), ERROR_NOT_SAME_DEVICE
// across file systems.
int32_t MoveFile(const std::string& strFrom, const std::string& strTo);
// MoveFileEx with MOVEFILE_REPLACE_EXISTING: replaces the target in one atomic rename. Both the
// source and an existing target must admit deletion (no open handle without delete sharing),
// else ERROR_SHARING_VIOLATION and nothing changes; an existing target that is open at all,
// even shared for deletion, is no file to replace (ERROR_ACCESS_DENIED), as on Windows.
int32_t MoveFileReplace(const std::string& strFrom, const std::string& strTo);
int32_t CreateDirectory(const std::string& strPath);
int32_t RemoveDirectory(const std::string& strPath);
// Makes a completed rename or creation in the folder durable (fsync of the directory).
int32_t FlushDirectory(const std::string& strFolder);

// GetTempFileName with unique 0: creates "<folder>\<prefix up to 3 chars><hex>.tmp" and
// returns its full Windows path.
int32_t GetTempFileName(const std::string& strFolder, const std::string& strPrefix,
                        std::string& strPath);

struct CFindData {
    std::string m_strName;  // code page 932
    uint32_t m_nAttributes = 0;
    uint64_t m_nSize = 0;
    int64_t m_nWriteTime = 0;  // seconds since 1970-01-01 UTC
};

class CFindFileImpl;

// The order of a search's entries. kByName: "." and ".." first, then the names ignoring case,
// as NTFS lists a folder, whatever the file system (the whole folder is read at FindFirst).
// kAsListed: as the file system gives them, each read at its FindFirst or FindNext, so that a
// folder of many entries can be read a piece at a time.
enum class EFindOrder { kByName, kAsListed };

// FindFirstFile / FindNextFile with "*" and "?" in the last component (matched ignoring case).
// Entries whose names have no code page 932 form are not listed ("." and ".." are); the search
// keeps their names as on disk, so that a caller can say what it left out.
class CFindFile {
public:
    CFindFile();
    ~CFindFile();
    CFindFile(const CFindFile&) = delete;
    CFindFile& operator=(const CFindFile&) = delete;
    // ERROR_FILE_NOT_FOUND when nothing matches, ERROR_PATH_NOT_FOUND without the folder.
    int32_t FindFirst(const std::string& strPattern, CFindData& data,
                      EFindOrder order = EFindOrder::kByName);
    // ERROR_NO_MORE_FILES at the end.
    int32_t FindNext(CFindData& data);
    void Close();
    // The names of the last FindFirst's folder left out for want of a code page 932 form, as
    // the file system gives them (bytes, not code page 932); all of them once the search ended.
    const std::vector<std::string>& GetUntranslatableNames() const { return m_untranslatable; }

private:
    // The end of FindFirst on every system: the first entry of the search the system opened.
    int32_t TakeFirst(std::unique_ptr<CFindFileImpl> pImpl, CFindData& data, EFindOrder order);

    std::unique_ptr<CFindFileImpl> m_pImpl;
    std::vector<std::string> m_untranslatable;
};

}  // namespace tq
