// The add wizard: the files page and the name page in turn until Finish or Cancel; Finish
// files the new application under its groups and adds its documents.
#pragma once

#include <cstdint>

#include "dialogs/DialogProvider.h"

class QWidget;

namespace tq {

// The new application's 1-based number among the free-type databases, or TQE_CANCELLED.
int32_t RunAddAppWizard(const CDialogContext& context, QWidget* pParent);

}  // namespace tq
