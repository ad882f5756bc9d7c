// The folder location box of the add and edit dialogs: the fixed drives and, below the drive of
// the shown folder, one entry per folder level. Choosing an entry and closing the drop-down
// tells the dialog, which then shows that folder. Typing does not jump between entries; the
// arrows that would move the selection open the list instead.
#pragma once

#include <QComboBox>

#include "browse/LocationEntries.h"
#include "dialogs/QtFileInfoProvider.h"

namespace tq {

class CLocationDelegate;

class CFolderComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit CFolderComboBox(QWidget* pParent = nullptr);

    // The drive entries, the first selected; nItemHeightUnits is the entries' height in
    // vertical dialog units of the box's font.
    void Initialize(int32_t nItemHeightUnits);
    // The entries for a folder (unless it is shown already).
    void SetFolder(const std::string& strPath);
    const std::string& GetFolder() const { return m_entries.GetFolder(); }
    const CLocationEntries& GetEntries() const { return m_entries; }
    // The folder of the selected entry; empty when none is selected.
    std::string GetSelectedFolder() const;

    void hidePopup() override;

signals:
    // The drop-down closed: the dialog shows the selected entry's folder.
    void CloseUp();

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;

private:
    // The combo box's items again from the entries.
    void ShowEntries();

    CQtFileInfoProvider m_provider;
    CLocationEntries m_entries;
    CLocationDelegate* m_pDelegate;
    bool m_bShowingEntries = false;
};

}  // namespace tq
