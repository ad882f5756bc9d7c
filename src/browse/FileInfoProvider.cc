#include "browse/FileInfoProvider.h"

#include <string_view>

#include "browse/FileFilter.h"
#include "platform/Cp932.h"

namespace tq {

namespace {

constexpr const char* kFileText = "\x83\x74\x83\x40\x83\x43\x83\x8b";  // ファイル
constexpr const char* kFolderText =  // ファイル フォルダー
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x20\x83\x74\x83\x48\x83\x8b\x83\x5f\x81\x5b";

// The path without one trailing backslash character.
std::string_view WithoutTrailingBackslash(std::string_view strPath) {
    size_t nLast = FindLastChar(strPath, '\\');
    if (nLast != std::string_view::npos && nLast + 1 == strPath.size()) {
        strPath.remove_suffix(1);
    }
    return strPath;
}

// A drive root ("C:\") has no name of its own.
bool IsRoot(std::string_view strPath) {
    std::string_view strBare = WithoutTrailingBackslash(strPath);
    return strBare.size() == 2 && strBare[1] == ':';
}

}  // namespace

std::string CPlainFileInfoProvider::GetDisplayName(const std::string& strPath) const {
    if (IsRoot(strPath)) {
        return strPath;
    }
    std::string_view strBare = WithoutTrailingBackslash(strPath);
    size_t nSlash = FindLastChar(strBare, '\\');
    std::string_view strName =
        nSlash == std::string_view::npos ? strBare : strBare.substr(nSlash + 1);
    return std::string(strName.empty() ? std::string_view(strPath) : strName);
}

std::string CPlainFileInfoProvider::GetTypeName(const std::string& strPath, bool bFolder) const {
    if (bFolder) {
        return kFolderText;
    }
    std::string_view strExtension = ExtensionOf(strPath);
    if (strExtension.size() <= 1) {
        return kFileText;
    }
    return ToUpperCp932(strExtension.substr(1)) + " " + kFileText;
}

int32_t CPlainFileInfoProvider::GetIconIndex(const std::string& strPath, bool bFolder,
                                             uint32_t nForms) const {
    if (!bFolder) {
        return kIconFile;
    }
    if (IsRoot(strPath)) {
        return kIconDrive;
    }
    return (nForms & kIconFormOpen) ? kIconFolderOpen : kIconFolder;
}

}  // namespace tq
