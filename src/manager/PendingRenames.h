// The record of renames that the sample query file has yet to follow. A save writes it beside
// the base control file before that file is replaced, and deletes it once the sample query file
// is; a process that dies in between leaves it for the next load or save to finish. Without it
// the previous names would die with the process, and the sample query file would keep naming
// databases that no longer exist.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "controlfile/CtrlModel.h"

namespace tq {

// One rename: a database name as some save knew it, and the name that save gave it.
struct CPendingRename {
    std::string m_strOld;
    std::string m_strNew;
    bool operator==(const CPendingRename&) const = default;
};

enum class EPendingState {
    kNone,        // there is no record
    kRead,        // the renames were read
    kDamaged,     // the record is torn, altered or not one at all; it tells nothing
    kNewer,       // a later version wrote it; it is not this version's to read or replace
    kUnreadable,  // it is there but cannot be read now; it stays as it is
};

// The record of the base control file at strBasePath.
std::string PendingRenamesPath(const std::string& strBasePath);

// The record's text, and back. Parsing refuses anything that a complete write of this version
// would not have produced.
std::string RenderPendingRenames(const std::vector<CPendingRename>& renames);
EPendingState ParsePendingRenames(std::string_view text, std::vector<CPendingRename>& renames);

EPendingState ReadPendingRenames(const std::string& strPath, std::vector<CPendingRename>& renames);
// Replaces the record in one rename of "<record>.NEW", flushed, so that it is whole or absent.
// 0 or the failing call's error.
int32_t WritePendingRenames(const std::string& strPath, const std::vector<CPendingRename>& renames);

// Sample query names (lower case) and the database names the model holds for them. A name
// follows the renames, newest first, to a name that a database of the model has. A name the
// model still holds is left alone, and so is one whose renames lead to no database of the model:
// a save that died before its base control file was replaced, or a database since removed.
// Those go to pDropped as they stand in the record.
using RenameMap = std::unordered_map<std::string, std::string>;
RenameMap ResolvePendingRenames(const std::vector<CPendingRename>& renames, const CCtrlModel& model,
                                std::vector<CPendingRename>* pDropped = nullptr);

}  // namespace tq
