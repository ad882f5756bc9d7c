#include "dialogs/FolderComboBox.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QStylePainter>

#include "browse/LocationKeys.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/InputMethod.h"
#include "dialogs/LocationDelegate.h"
#include "dialogs/toolkit/QtText.h"

namespace tq {

namespace {

ELocationKey ClassifyKey(int nKey) {
    switch (nKey) {
        case Qt::Key_PageUp:
            return ELocationKey::kPageUp;
        case Qt::Key_PageDown:
            return ELocationKey::kPageDown;
        case Qt::Key_End:
            return ELocationKey::kEnd;
        case Qt::Key_Home:
            return ELocationKey::kHome;
        case Qt::Key_Left:
            return ELocationKey::kLeft;
        case Qt::Key_Up:
            return ELocationKey::kUp;
        case Qt::Key_Right:
            return ELocationKey::kRight;
        case Qt::Key_Down:
            return ELocationKey::kDown;
        default:
            break;
    }
    if (nKey >= Qt::Key_A && nKey <= Qt::Key_Z) {
        return ELocationKey::kLetter;
    }
    if (nKey >= Qt::Key_0 && nKey <= Qt::Key_9) {
        return ELocationKey::kDigit;
    }
    return ELocationKey::kOther;
}

}  // namespace

CFolderComboBox::CFolderComboBox(QWidget* pParent)
    : QComboBox(pParent),
      m_entries(m_provider),
      m_pDelegate(new CLocationDelegate(m_entries, m_provider, this)) {
    setItemDelegate(m_pDelegate);
    setIconSize(QSize(16, 16));
    connect(this, &QComboBox::currentIndexChanged, this, [this](int nIndex) {
        if (!m_bShowingEntries) {
            m_entries.Select(nIndex);
        }
    });
}

void CFolderComboBox::Initialize(int32_t nItemHeightUnits) {
    m_entries.Initialize();
    m_pDelegate->SetItemHeight(CDialogUnits(font()).ToPixelsY(nItemHeightUnits));
    ShowEntries();
}

void CFolderComboBox::SetFolder(const std::string& strPath) {
    if (m_entries.SetFolder(strPath) == 0) {
        ShowEntries();
    }
}

std::string CFolderComboBox::GetSelectedFolder() const {
    const CLocationEntry* pEntry = m_entries.GetSelectedEntry();
    return pEntry != nullptr ? pEntry->m_strPath : std::string();
}

void CFolderComboBox::ShowEntries() {
    m_bShowingEntries = true;
    clear();
    for (const CLocationEntry& entry : m_entries.GetEntries()) {
        addItem(QStringFromCp932(entry.m_strDisplayName));
    }
    setCurrentIndex(m_entries.GetSelectedIndex());
    m_bShowingEntries = false;
    update();
}

void CFolderComboBox::hidePopup() {
    QComboBox::hidePopup();
    // The toolkit closes the list before it selects the entry chosen in it: the close-up is
    // told once that selection is made, so that it opens the chosen folder, not the old one.
    QMetaObject::invokeMethod(this, &CFolderComboBox::CloseUp, Qt::QueuedConnection);
}

void CFolderComboBox::keyPressEvent(QKeyEvent* pEvent) {
    int nKey = pEvent->key();
    char cLetter =
        nKey >= Qt::Key_A && nKey <= Qt::Key_Z ? static_cast<char>('A' + (nKey - Qt::Key_A)) : '\0';
    bool bCtrl = (pEvent->modifiers() & Qt::ControlModifier) != 0;
    switch (DecideLocationKey(ClassifyKey(nKey), cLetter, bCtrl, view()->isVisible())) {
        case ELocationKeyAction::kSwallow:
            pEvent->accept();
            return;
        case ELocationKeyAction::kOpenDropDown:
            pEvent->accept();
            showPopup();
            return;
        case ELocationKeyAction::kToDialog:
            // The dialog's own keys (the view shortcuts) see it next.
            pEvent->ignore();
            return;
        case ELocationKeyAction::kDefault:
            QComboBox::keyPressEvent(pEvent);
            return;
    }
}

void CFolderComboBox::focusInEvent(QFocusEvent* pEvent) {
    SetInputMethodOpen(this, false);
    QComboBox::focusInEvent(pEvent);
}

void CFolderComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const CLocationEntry* pEntry = m_entries.GetSelectedEntry();
    if (pEntry == nullptr) {
        return;
    }
    QRect rcField =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    PaintLocationEntry(painter, rcField, *pEntry, m_provider, palette(), hasFocus(), false);
}

}  // namespace tq
