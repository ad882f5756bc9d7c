// Win32 error numbers reported by the platform layer. Everything above the platform speaks
// these numbers, exactly as the Windows API reports them, so a Windows build can pass the
// system's own codes through unchanged.
#pragma once

#include <cstdint>

namespace tq {

constexpr int32_t ERROR_SUCCESS = 0;
constexpr int32_t ERROR_FILE_NOT_FOUND = 2;
constexpr int32_t ERROR_PATH_NOT_FOUND = 3;
constexpr int32_t ERROR_ACCESS_DENIED = 5;
constexpr int32_t ERROR_INVALID_HANDLE = 6;
constexpr int32_t ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr int32_t ERROR_NOT_SAME_DEVICE = 17;
constexpr int32_t ERROR_WRITE_FAULT = 29;
constexpr int32_t ERROR_READ_FAULT = 30;
constexpr int32_t ERROR_SHARING_VIOLATION = 32;
constexpr int32_t ERROR_HANDLE_EOF = 38;
constexpr int32_t ERROR_NOT_SUPPORTED = 50;
constexpr int32_t ERROR_FILE_EXISTS = 80;
constexpr int32_t ERROR_INVALID_PARAMETER = 87;
constexpr int32_t ERROR_DISK_FULL = 112;
constexpr int32_t ERROR_INSUFFICIENT_BUFFER = 122;
constexpr int32_t ERROR_INVALID_NAME = 123;
constexpr int32_t ERROR_NEGATIVE_SEEK = 131;
constexpr int32_t ERROR_DIR_NOT_EMPTY = 145;
constexpr int32_t ERROR_ALREADY_EXISTS = 183;
constexpr int32_t ERROR_FILENAME_EXCED_RANGE = 206;
constexpr int32_t ERROR_MORE_DATA = 234;
constexpr int32_t ERROR_NOACCESS = 998;
constexpr int32_t ERROR_DIRECTORY = 267;
constexpr int32_t ERROR_NO_MORE_ITEMS = 259;
constexpr int32_t ERROR_NO_MORE_FILES = 18;
constexpr int32_t ERROR_BADDB = 1009;
constexpr int32_t ERROR_BADKEY = 1010;
constexpr int32_t ERROR_CANTOPEN = 1011;
constexpr int32_t ERROR_CANTREAD = 1012;
constexpr int32_t ERROR_CANTWRITE = 1013;
constexpr int32_t ERROR_KEY_DELETED = 1018;
constexpr int32_t ERROR_BAD_DEVICE = 1200;
constexpr int32_t ERROR_NOT_CONNECTED = 2250;

// Maps an errno value to the Win32 number the equivalent Windows call would report.
int32_t Win32FromErrno(int err);

}  // namespace tq
