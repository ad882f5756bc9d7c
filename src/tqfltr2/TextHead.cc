#include "tqfltr2/TextHead.h"

namespace tq {

CTextHead::CTextHead(std::string_view head) {
    if (head.substr(0, 3) == "\xEF\xBB\xBF") {
        m_encoding = ETextEncoding::Utf8;
        m_nMarkLength = 3;
    } else if (head.substr(0, 2) == "\xFF\xFE") {
        m_encoding = ETextEncoding::Utf16Le;
        m_nMarkLength = 2;
    } else if (head.substr(0, 2) == "\xFE\xFF") {
        m_encoding = ETextEncoding::Utf16Be;
        m_nMarkLength = 2;
    }
    bool bWide = m_encoding == ETextEncoding::Utf16Le || m_encoding == ETextEncoding::Utf16Be;
    m_bBinary = !bWide && head.find('\0') != std::string_view::npos;
}

}  // namespace tq
