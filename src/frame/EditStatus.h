// Who is working on a product's files: the question behind the automation property Status and
// the exported VXCSTM_GetStatus. Editors exclude each other through the named mutex (taken by
// the first Load of an automation object and by a running conversion); the index builder
// holds the lock file beside the base control file.
#pragma once

#include <cstdint>

#include "applications/EditSession.h"
#include "frame/CtrlFileMgrIds.h"

namespace tq {

// Probes the mutex (opened with full access and closed again, never owned), then asks the
// control-file object for the builder's lock. Deletes a stale lock file on the way.
int32_t ProbeEditStatus(CCtrlFile& ctrlFile);

}  // namespace tq
