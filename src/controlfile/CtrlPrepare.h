// Preparing a model for saving: turns the marks the application operations left (selection
// changes, new public names) into rebuild requests and rewritten document entries, and refuses a
// database that the index builder could not index.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "controlfile/CtrlModel.h"

namespace tq {

// For each database in order: a selection changed since the last save requests a rebuild and
// marks the model structure-changed and modified; a new public name rewrites every document
// entry to end in " > " and that name, each entry requesting a rebuild. A database to rebuild needs
// a document list file or a document, and a group: otherwise TQE_DB_INCOMPLETE, and the databases
// before it keep their changes. 0 otherwise.
int32_t PrepareForSave(CCtrlModel& model);

// The document entry with its database's public name replaced: the text up to its separator
// ">" (the second ">" when the entry begins with a folder macro "<...>"), a blank and the
// name. An entry without such a ">" is returned unchanged.
std::string RenameDocEntry(std::string_view strEntry, std::string_view strPublicName);

}  // namespace tq
