#include "dialogs/LocationDelegate.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "browse/LocationGeometry.h"
#include "dialogs/toolkit/QtText.h"

namespace tq {

namespace {

QRect ToQRect(const CPixelRect& rc) {
    return QRect(QPoint(rc.m_nLeft, rc.m_nTop), QPoint(rc.m_nRight - 1, rc.m_nBottom - 1));
}

}  // namespace

void PaintLocationEntry(QPainter& painter, const QRect& rcItem, const CLocationEntry& entry,
                        const CQtFileInfoProvider& provider, const QPalette& palette,
                        bool bSelected, bool bInDropDown) {
    uint32_t nForms = (entry.m_bCurrent ? kIconFormOpen : 0) | (bSelected ? kIconFormSelected : 0);
    QIcon icon = provider.GetIcon(provider.GetIconIndex(entry.m_strPath, true, nForms));
    QString strName = QStringFromCp932(entry.m_strDisplayName);
    CPixelRect rc{rcItem.left(), rcItem.top(), rcItem.right() + 1, rcItem.bottom() + 1};
    CLocationEntryLayout layout = LayOutLocationEntry(
        rc, entry.m_nLevel, bInDropDown, painter.fontMetrics().horizontalAdvance(strName));
    icon.paint(&painter, ToQRect(layout.m_icon), Qt::AlignCenter,
               bSelected ? QIcon::Selected : QIcon::Normal);
    QRect rcArea = ToQRect(layout.m_textArea);
    painter.fillRect(rcArea, palette.color(bSelected ? QPalette::Highlight : QPalette::Base));
    if (bSelected) {
        // The dotted focus rectangle of the selected entry.
        QPen pen(palette.color(QPalette::HighlightedText), 1, Qt::DotLine);
        painter.save();
        painter.setPen(pen);
        painter.drawRect(rcArea.adjusted(0, 0, -1, -1));
        painter.restore();
    }
    painter.setPen(palette.color(bSelected ? QPalette::HighlightedText : QPalette::Text));
    painter.drawText(ToQRect(layout.m_text), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     strName);
}

CLocationDelegate::CLocationDelegate(const CLocationEntries& entries,
                                     const CQtFileInfoProvider& provider, QObject* pParent)
    : QStyledItemDelegate(pParent), m_entries(entries), m_provider(provider) {}

void CLocationDelegate::paint(QPainter* pPainter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const auto& entries = m_entries.GetEntries();
    if (index.row() < 0 || static_cast<size_t>(index.row()) >= entries.size()) {
        return;
    }
    pPainter->save();
    pPainter->fillRect(option.rect, option.palette.color(QPalette::Base));
    pPainter->setFont(option.font);
    bool bSelected = (option.state & QStyle::State_Selected) != 0;
    PaintLocationEntry(*pPainter, option.rect, entries[static_cast<size_t>(index.row())],
                       m_provider, option.palette, bSelected, true);
    pPainter->restore();
}

QSize CLocationDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width() + 24, m_nItemHeight);
}

}  // namespace tq
