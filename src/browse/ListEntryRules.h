// Which entries of a folder become rows of the file list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "browse/FileFilter.h"
#include "platform/File.h"

namespace tq {

enum class EListEntry {
    kKeep,
    kHidden,        // hidden files and folders (every name that starts with a dot)
    kDots,          // "." and ".."
    kSystemFolder,  // folders with the system attribute
    kFiltered,      // a file whose extension the filter does not name
    kTooLong,       // the full path is longer than kListPathMax bytes
    kUnsafeName,    // a name no control file or Windows path can carry
};

// The longest full path a row may have, and the longest search pattern a folder may have.
constexpr size_t kListPathMax = 260;
constexpr size_t kListPatternMax = 260;

// The search pattern of a folder: folder + "*.*", with a "\" between them when missing.
std::string MakeListPattern(const std::string& strFolder);
// The verdict on one entry found in strFolder (which ends in "\"); the full path is the folder
// and the entry's name.
EListEntry JudgeListEntry(const std::string& strFolder, const CFindData& entry,
                          const CFileFilter& filter);
// False for a name with a control character or one of \ / : * ? " < > |: a document line
// would break on it, and the platform cannot open it by a Windows path.
bool IsSafeListName(std::string_view strName);

}  // namespace tq
