// Windows paths on Linux. A Windows path is code page 932 text: "C:\dir\file", "\dir" (current
// drive), "dir\file" (current directory), or "\\server\share\dir" (a configured remote drive).
// Resolution maps the drive to its directory and matches each component case-insensitively
// (exact name first, then a directory scan); names on disk are UTF-8. A component that does not
// exist keeps its spelling (converted to UTF-8), so a path can name a file about to be created.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tq {

constexpr size_t MAX_PATH = 260;

// Drive types (GetDriveType).
constexpr uint32_t DRIVE_UNKNOWN = 0;
constexpr uint32_t DRIVE_NO_ROOT_DIR = 1;
constexpr uint32_t DRIVE_REMOVABLE = 2;
constexpr uint32_t DRIVE_FIXED = 3;
constexpr uint32_t DRIVE_REMOTE = 4;
constexpr uint32_t DRIVE_CDROM = 5;

// Windows path -> Linux path. Errors: ERROR_INVALID_NAME (bad code page 932, an unknown drive
// form, a component with a character Windows forbids), ERROR_PATH_NOT_FOUND (drive or UNC
// share not configured), ERROR_FILENAME_EXCED_RANGE (longer than MAX_PATH - 1 bytes after full-path
// expansion). linuxPath is changed only on success.
int32_t ResolvePath(const std::string& strWinPath, std::string& strLinuxPath);
// Linux path -> Windows path on the drive whose directory holds it (Z: for anything else).
int32_t ToWindowsPath(const std::string& strLinuxPath, std::string& strWinPath);

// GetFullPathName: makes a path absolute against the current directory and removes "." and
// ".." components, without touching the disk.
int32_t GetFullPathName(const std::string& strPath, std::string& strFull);
// The same against strFolder as if it were the current directory (strFolder itself is taken
// against the current directory; empty means the current directory). Code that resolves paths
// relative to a folder of its own uses this: the current directory is one for the whole
// process, and changing it would move every other thread's relative paths.
int32_t GetFullPathName(const std::string& strPath, const std::string& strFolder,
                        std::string& strFull);

// The process-wide current directory, in Windows form, always ending in "\".
// Starts as the Windows form of the Linux working directory.
std::string GetCurrentDirectory();
// Fails with ERROR_FILE_NOT_FOUND (the folder does not exist), ERROR_PATH_NOT_FOUND (its parent
// does not exist) or ERROR_DIRECTORY (it names a file), leaving the current directory as it was.
int32_t SetCurrentDirectory(const std::string& strPath);

// "C:\", "Z:\" ... each followed by a NUL byte, the list ended by a second NUL (as the Windows
// call fills its buffer).
std::string GetLogicalDriveStrings();
// Type of the drive a root path names ("C:\" or "C:"); DRIVE_NO_ROOT_DIR for an unknown one.
uint32_t GetDriveType(const std::string& strRoot);

// "C:\WINDOWS" and "C:\WINDOWS\system32", without a trailing backslash.
std::string GetWindowsDirectory();
std::string GetSystemDirectory();

// WNetGetUniversalName at the universal-name level: the UNC form of a path on a remote drive.
// ERROR_NOT_CONNECTED for a path on a drive that is not remote, ERROR_MORE_DATA with
// required = the size needed (bytes with the terminating NUL) when bufferSize is too small.
int32_t WNetGetUniversalName(const std::string& strPath, uint32_t bufferSize,
                             std::string& strUniversal, uint32_t& required);

// The Win32 error of a failed call on a Linux path: ENOENT gives ERROR_PATH_NOT_FOUND when the
// parent folder is missing too, else ERROR_FILE_NOT_FOUND; other values as Win32FromErrno.
int32_t PathErrorFromErrno(int err, const std::string& strLinuxPath);

}  // namespace tq
