// What the automation object asks of the desktop: to put the user in front of the add wizard or
// the edit dialog. With a display the dialogs are the toolkit's; a host without one (a service,
// a script on a terminal) gets the answer of a dialog the user cancelled, and a line on standard
// error that says why.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "applications/CheckJob.h"

class QWidget;

namespace tq {

class CCtrlFile;

struct CDialogContext {
    CCtrlFile* m_pCtrlFile = nullptr;
    std::string m_strSettingsKey;  // the product key path without a trailing "\"
    std::string m_strProductName;  // the caption of the dialogs and their message boxes
    // The topic filter that checks added files; null: the process's topic-filter library.
    const ITopicFilter* m_pTopicFilter = nullptr;
};

class CDialogProvider {
public:
    virtual ~CDialogProvider() = default;
    // The new application's 1-based number among the free-type databases, or a negative code.
    virtual int32_t RunAddAppDialog(const CDialogContext& context) = 0;
    // 0 when the database at lIndex changed, or a negative code.
    virtual int32_t RunEditAppDialog(const CDialogContext& context, int32_t lIndex) = 0;
};

// The current provider: the one a host or a test set, else the desktop's.
CDialogProvider& GetDialogProvider();
// A host with windows of its own names the window the component's dialogs belong to: they
// stay above it and block it. Without one (or once it is gone) they belong to the host's active
// window, if it has one, and are modal to the whole application. Not owned; null forgets it.
void SetDialogParent(QWidget* pParent);
// A host that was handed files (dropped on its window) names them for the next add wizard: its
// files page opens with them checked into the target list, as files dropped on that list are
// (those that cannot be targets left out, with a note). Windows paths in code page 932. The next
// wizard takes them, also when it cannot be shown; an empty list forgets them.
void SetInitialAddTargets(std::vector<std::string> paths);
// Makes pProvider current (it must outlive its use; null restores the desktop's) and returns the
// previous one.
CDialogProvider* SetDialogProvider(CDialogProvider* pProvider);

}  // namespace tq
