#include "manager/RebuildRequests.h"

#include "manager/ProductRegKey.h"
#include "platform/Registry.h"
#include "resources/ErrorCodes.h"

namespace tq {

int32_t WriteRebuildRequests(const CCtrlModel& model, CProductRegKey& key) {
    // One transaction for all of them: a model of thousands of databases that all need a
    // rebuild (after a reset) writes as fast as one value.
    CRegistryBatch batch;
    bool bAny = false;
    for (const auto& pDb : model.GetDatabases()) {
        if ((pDb->m_dwState & DBSTATE_REBUILD) == 0 || pDb->IsDeselected()) {
            continue;
        }
        if (key.SetString("Builder\\Request", std::string(pDb->m_strName), std::string()) != 0) {
            return TQE_REG_WRITE;
        }
        bAny = true;
    }
    if (bAny && batch.Commit() != 0) {
        return TQE_REG_WRITE;
    }
    return TQ_OK;
}

}  // namespace tq
