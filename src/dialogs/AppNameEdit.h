// The application name field: a Japanese name is typed here, so the input method opens with
// the focus. At most 256 characters.
#pragma once

#include <QLineEdit>
#include <cstdint>
#include <string>

namespace tq {

class CDialogUnits;

class CAppNameEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit CAppNameEdit(QWidget* pParent = nullptr);
    // The text in code page 932; false when a character has no form there.
    bool GetNameText(std::string& strText) const;
    void SetNameText(const std::string& strText);
    // Puts the caret before the character that starts at byte nByte of the code page text.
    void SetCaretAtByte(const std::string& strText, size_t nByte);

    // The field of width cx at row y of the dialog's template, with its label to its left.
    static CAppNameEdit* AddWithLabel(QWidget* pDialog, const CDialogUnits& units, int32_t y,
                                      int32_t cx);

protected:
    void focusInEvent(QFocusEvent* pEvent) override;
};

}  // namespace tq
