// The rebuild requests: one empty REG_SZ value per database under "Builder\Request" of the
// product key tells the index builder which databases to rebuild.
#pragma once

#include <cstdint>
#include <string>

#include "controlfile/CtrlModel.h"

namespace tq {

class CProductRegKey;

// Writes a request for every selected database whose rebuild is requested, in array order.
// Without such a database the key is not touched. The values are written in one registry
// transaction, so a failure leaves the requests as they were. 0, or TQE_REG_WRITE.
int32_t WriteRebuildRequests(const CCtrlModel& model, CProductRegKey& key);
// Whether the database's files wait for the index builder: a request under its name that the
// builder has not taken away yet.
bool IsRebuildRequested(const CProductRegKey& key, const std::string& strName);

}  // namespace tq
