// The target list of the add and edit dialogs: the chosen files' full paths, sorted without
// regard to case, several selectable at once; files dropped on it from a file manager are
// handed to the dialog, which checks them as it checks the files of Add. The entries and their
// order are the plain sorted list's; this widget shows them. The check job reaches it through the
// wait dialog, always on the dialog's thread.
#pragma once

#include <QListWidget>
#include <string>
#include <vector>

#include "applications/TargetList.h"

namespace tq {

class CTargetListBox : public QListWidget, public ITargetList {
    Q_OBJECT

public:
    explicit CTargetListBox(QWidget* pParent = nullptr);

    int32_t FindStringExact(const std::string& strText) const override;
    // Inserts at the sorted place and scrolls the new entry into view.
    int32_t AddString(const std::string& strText) override;
    // Deletes every selected entry (last first) and selects the entry at the old caret, or the
    // last one; the removed paths in deletion order.
    std::vector<std::string> RemoveSelected();
    const std::vector<std::string>& GetEntries() const { return m_entries.GetEntries(); }
    bool IsEmpty() const { return m_entries.IsEmpty(); }
    bool HasSelection() const { return !selectedItems().isEmpty(); }

signals:
    void DeletePressed();
    // Files dropped from a file manager (text/uri-list): their local paths, in drop order.
    void FilesDropped(const QStringList& localPaths);

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dragMoveEvent(QDragMoveEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;

private:
    CSortedTargetList m_entries;
};

}  // namespace tq
