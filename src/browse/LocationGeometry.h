// Where the parts of a location box entry are drawn, in pixels, and how tall the entries are.
// The toolkit layer paints into these rectangles.
#pragma once

#include <cstdint>

namespace tq {

struct CPixelRect {
    int32_t m_nLeft = 0;
    int32_t m_nTop = 0;
    int32_t m_nRight = 0;
    int32_t m_nBottom = 0;
};

struct CLocationEntryLayout {
    CPixelRect m_icon;      // the 16 x 16 small icon
    CPixelRect m_textArea;  // filled with the highlight or window colour; the focus rectangle
    CPixelRect m_text;      // the text, on one line, centred vertically in it
};

constexpr int32_t kLocationIndentPerLevel = 8;
constexpr int32_t kLocationIconSize = 16;
constexpr int32_t kLocationTextOffset = 18;  // from the indented left edge to the text area
constexpr int32_t kLocationTextPadding = 2;  // between the text area and the text
constexpr int32_t kLocationItemHeightUnits = 12;

// The layout of an entry drawn in rcItem at its level, indented only in the drop-down list
// (not in the selection field), for a text nTextWidth pixels wide.
CLocationEntryLayout LayOutLocationEntry(const CPixelRect& rcItem, int32_t nLevel, bool bInDropDown,
                                         int32_t nTextWidth);
// Vertical dialog units in pixels for a dialog whose base height unit is nBaseUnitY pixels
// (a dialog unit is an eighth of it); the entries' height from kLocationItemHeightUnits.
int32_t DialogUnitsToPixelsY(int32_t nUnits, int32_t nBaseUnitY);

}  // namespace tq
