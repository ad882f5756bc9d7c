#include "browse/LocationGeometry.h"

namespace tq {

CLocationEntryLayout LayOutLocationEntry(const CPixelRect& rcItem, int32_t nLevel, bool bInDropDown,
                                         int32_t nTextWidth) {
    int32_t nLeft = rcItem.m_nLeft + (bInDropDown ? kLocationIndentPerLevel * nLevel : 0);
    CLocationEntryLayout layout;
    layout.m_icon = {nLeft + 1, rcItem.m_nTop + 1, nLeft + 1 + kLocationIconSize,
                     rcItem.m_nTop + 1 + kLocationIconSize};
    int32_t nAreaLeft = nLeft + kLocationTextOffset;
    layout.m_textArea = {nAreaLeft, rcItem.m_nTop + 1,
                         nAreaLeft + nTextWidth + 2 * kLocationTextPadding, rcItem.m_nBottom - 1};
    layout.m_text = {nAreaLeft + kLocationTextPadding, layout.m_textArea.m_nTop,
                     layout.m_textArea.m_nRight - kLocationTextPadding,
                     layout.m_textArea.m_nBottom};
    return layout;
}

int32_t DialogUnitsToPixelsY(int32_t nUnits, int32_t nBaseUnitY) {
    // Rounded to the nearest pixel, as the dialog's own mapping does.
    int64_t nScaled = static_cast<int64_t>(nUnits) * nBaseUnitY;
    return static_cast<int32_t>((nScaled + (nScaled >= 0 ? 4 : -4)) / 8);
}

}  // namespace tq
