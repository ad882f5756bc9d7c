// What the desktop's shell tells about a path: the name shown for it, the name of its type and
// its icon. The toolkit layer supplies the desktop's own; the plain provider serves without one.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

// Forms of an icon asked for (bits).
constexpr uint32_t kIconFormOpen = 1;      // an open folder
constexpr uint32_t kIconFormSelected = 2;  // drawn selected

class CFileInfoProvider {
public:
    virtual ~CFileInfoProvider() = default;
    // Paths are full paths in code page 932; a folder's ends in "\".
    virtual std::string GetDisplayName(const std::string& strPath) const = 0;
    virtual std::string GetTypeName(const std::string& strPath, bool bFolder) const = 0;
    virtual int32_t GetIconIndex(const std::string& strPath, bool bFolder,
                                 uint32_t nForms) const = 0;
};

// Icons of the plain provider.
constexpr int32_t kIconFile = 0;
constexpr int32_t kIconFolder = 1;
constexpr int32_t kIconFolderOpen = 2;
constexpr int32_t kIconDrive = 3;

// The last name of the path (a root such as "C:\" as it is), a type name made from the
// extension ("CHM ファイル", "ファイル", "ファイル フォルダー") and one icon per kind.
class CPlainFileInfoProvider : public CFileInfoProvider {
public:
    std::string GetDisplayName(const std::string& strPath) const override;
    std::string GetTypeName(const std::string& strPath, bool bFolder) const override;
    int32_t GetIconIndex(const std::string& strPath, bool bFolder, uint32_t nForms) const override;
};

}  // namespace tq
