// How an entry of the location box is drawn: its small icon (the open form for the shown
// folder), and its name on a highlight or window-coloured area just as wide as the name, indented
// by its level in the drop-down list but not in the selection field.
#pragma once

#include <QStyledItemDelegate>

#include "browse/LocationEntries.h"
#include "dialogs/QtFileInfoProvider.h"

namespace tq {

void PaintLocationEntry(QPainter& painter, const QRect& rcItem, const CLocationEntry& entry,
                        const CQtFileInfoProvider& provider, const QPalette& palette,
                        bool bSelected, bool bInDropDown);

// The drop-down list's entries; all of one height.
class CLocationDelegate : public QStyledItemDelegate {
public:
    // The entries and the provider must outlive the delegate.
    CLocationDelegate(const CLocationEntries& entries, const CQtFileInfoProvider& provider,
                      QObject* pParent);
    void SetItemHeight(int nPixels) { m_nItemHeight = nPixels; }

    void paint(QPainter* pPainter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const CLocationEntries& m_entries;
    const CQtFileInfoProvider& m_provider;
    int m_nItemHeight = 18;
};

}  // namespace tq
