// The sample query file: a text file of the index builder whose lines "%%%name%%%" name
// databases. When databases get new names, their lines follow.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "controlfile/CtrlModel.h"
#include "manager/PendingRenames.h"

namespace tq {

class CProductRegKey;

// The database name a sample query line names ("%%%" name "%%%", at least 7 characters without
// the white space at either end), trimmed; false for any other line.
bool GetSampleQueryName(std::string_view line, std::string_view& name);

// Rewrites the lines that name a database by the name it had before its public name changed,
// with its current name. Nothing happens unless some database's public name changed, or when
// the file does not exist. The file is replaced by one rename of "<file>.NEW", so it is never
// missing, not even after a crash. 0; TQE_REG_READ (its location is not in the registry),
// TQE_SAMPLE_QUERY_OPEN (it cannot be read), TQE_SAMPLE_QUERY_NEW (the new file cannot be
// written or put in place; the old file is then intact).
int32_t UpdateSampleQueryFile(const CCtrlModel& model, const CProductRegKey& key);

bool AnyNameChanged(const CCtrlModel& model);
// The renames since the last save: previous database names (lower case) and current ones.
RenameMap RenamedSinceSave(const CCtrlModel& model);
// The same rewrite for the names given (lower case) and the names their lines get; an empty
// map, or no line that names one of them, leaves the file as it is. The results as above.
int32_t RewriteSampleQueryFile(const RenameMap& renamed, const CProductRegKey& key);

}  // namespace tq
