// The kinds of databases, in the order the model and the control file keep them: the fixed ones
// (always searched), then the selection-type ones, then the free-type ones (the user's own
// applications). A host names a database by its type and its 1-based number within that type
// (DBTYPE_ALL: within the whole list); installed for hosts with the automation object's ids.
#pragma once

#include <cstdint>

namespace tq {

enum : int32_t { DBTYPE_ALL = 0, DBTYPE_FIXED = 1, DBTYPE_SELECTION = 2, DBTYPE_FREE = 3 };

}  // namespace tq
