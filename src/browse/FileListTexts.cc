#include "browse/FileListTexts.h"

#include "platform/File.h"

namespace tq {

namespace {

// Decimal digits with the separator before every group of nGroup digits from the right.
std::string GroupDigits(const std::string& strDigits, const std::string& strSeparator,
                        int32_t nGroup) {
    if (nGroup <= 0 || strSeparator.empty()) {
        return strDigits;
    }
    std::string strOut;
    size_t nGroupSize = static_cast<size_t>(nGroup);
    for (size_t i = 0; i < strDigits.size(); ++i) {
        size_t nLeft = strDigits.size() - i;
        if (i > 0 && nLeft % nGroupSize == 0) {
            strOut += strSeparator;
        }
        strOut += strDigits[i];
    }
    return strOut;
}

}  // namespace

std::string FormatSizeText(uint64_t nSize, const CListLocale& locale) {
    // Any byte at all makes the first KB: 1 to 1023 bytes show as 1KB, 1024 bytes as 2KB.
    uint64_t nKb = nSize == 0 ? 0 : nSize / 1024 + 1;
    return GroupDigits(std::to_string(nKb), locale.GetThousandsSeparator(), locale.GetGroupSize()) +
           "KB";
}

std::string FormatDateText(int64_t nUtcSeconds, const CListLocale& locale) {
    CListDateTime t = locale.ToLocalTime(nUtcSeconds);
    return locale.FormatShortDate(t) + " " + locale.FormatTimeNoSeconds(t);
}

std::string FormatAttributeText(uint32_t nAttributes) {
    static const struct {
        uint32_t m_nBit;
        char m_cLetter;
    } kLetters[] = {{FILE_ATTRIBUTE_READONLY, 'R'},
                    {FILE_ATTRIBUTE_HIDDEN, 'H'},
                    {kFileAttributeSystem, 'S'},
                    {FILE_ATTRIBUTE_ARCHIVE, 'A'}};
    std::string strText;
    for (const auto& letter : kLetters) {
        if (nAttributes & letter.m_nBit) {
            strText += letter.m_cLetter;
        }
    }
    return strText;
}

}  // namespace tq
