// The add wizard: the files page and the name page in turn until Finish or Cancel; Finish
// files the new application under its groups and adds its documents.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/DialogContext.h"

class QWidget;

namespace tq {

// The new application's 1-based number among the free-type databases, or TQE_CANCELLED.
// initialTargets (Windows paths) are checked into the target list when the files page first
// shows.
int32_t RunAddAppWizard(const CDialogContext& context, QWidget* pParent,
                        const std::vector<std::string>& initialTargets = {});

}  // namespace tq
