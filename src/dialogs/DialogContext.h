// What the add wizard and the edit dialog work on: the loaded control file, where the product
// keeps its browse settings, the caption of their windows and messages, and the topic filter
// that checks the files added. The automation object's dialog methods (and tqctl, and the tests)
// make it; the dialogs only read it.
#pragma once

#include <string>

#include "applications/CheckJob.h"

namespace tq {

class CCtrlFile;

struct CDialogContext {
    CCtrlFile* m_pCtrlFile = nullptr;
    std::string m_strSettingsKey;  // the product key path without a trailing "\"
    std::string m_strProductName;  // the caption of the dialogs and their message boxes
    // The topic filter that checks added files; null: the process's topic-filter library.
    const ITopicFilter* m_pTopicFilter = nullptr;
};

}  // namespace tq
