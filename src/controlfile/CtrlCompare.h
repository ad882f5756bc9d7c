// Whether the index builder's control file already says what a model would write: then a save
// of an unchanged model has nothing to do.
#pragma once

#include "controlfile/CtrlModel.h"

namespace tq {

// Equal when the output log paths (ignoring case), the four global switches and the group sets
// agree, and the selected databases of `saved` (deselected ones skipped) match the databases
// of `onDisk` one for one: names, public names, attributes, document list and PDF skip-title
// files, documents, skipped documents and group names, all byte for byte and in order. Dates,
// indexed lists, families, select-off groups and unique ids are not compared.
bool CtrlModelsEqual(const CCtrlModel& saved, const CCtrlModel& onDisk);

}  // namespace tq
