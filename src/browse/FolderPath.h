// A folder path taken apart into its levels: the folder names below the root, from the top
// down, lower-cased. The location box shows one entry per level, and the dialogs climb and
// fall back along them. A folder path is expected to end in "\", so that its last folder is a
// level; text after the last "\" is not one.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tq {

class CFolderPath {
public:
    explicit CFolderPath(std::string strPath);

    const std::string& GetPath() const { return m_strPath; }
    size_t LevelCount() const { return m_levels.size(); }
    // The path down to level n (from 1): the root and the first n levels, each followed by
    // "\"; e.g. level 1 of C:\Program Files\Help\ is C:\program files\. n above the count
    // gives the deepest level, 0 the root.
    std::string PathOfLevel(size_t n) const;
    // The path with one trailing "\" removed, cut after its last "\"; empty when no "\" is
    // left (the parent of C:\ is empty).
    std::string Parent() const;
    // The deepest level that exists as a folder, else the root.
    std::string DeepestExisting() const;
    // The drive part lower-cased ("c:"); empty for a UNC path or a path without a drive.
    std::string DriveText() const;
    // Where the levels hang from: the drive's root "C:\", or for a UNC path its share
    // "\\server\share\" (the server and share levels belong to it).
    std::string RootPath() const { return PathOfLevel(RootLevelCount()); }
    size_t RootLevelCount() const;

private:
    std::string m_strPath;
    std::string m_strDrive;
    bool m_bUnc = false;
    std::vector<std::string> m_levels;
};

}  // namespace tq
