#include "tqfltr2/HtmlTopicCheck.h"

#include <string>

#include "tqfltr2/HtmlTextScanner.h"
#include "tqfltr2/TextHead.h"
#include "tqfltr2/TopicFile.h"
#include "tqfltr2/Tqfltr2.h"

namespace tq {

int CHtmlTopicCheck::Run() {
    std::string strPiece;
    if (int err = m_file.ReadAt(0, kTextHeadSize, strPiece); err != 0) {
        return err;
    }
    if (CTextHead(strPiece).IsBinary()) {
        return TQFLTR2_DAMAGED;
    }
    CHtmlTextScanner scanner;
    bool bText = scanner.Feed(strPiece);
    uint64_t offset = strPiece.size();
    while (!bText && !strPiece.empty() && offset < kMaxHtmlBytes) {
        if (int err = m_file.ReadAt(offset, kTextHeadSize, strPiece); err != 0) {
            return err;
        }
        bText = scanner.Feed(strPiece);
        offset += strPiece.size();
    }
    bText = scanner.Finish();
    if (scanner.IsFailed()) {
        return TQFLTR2_FAILED;
    }
    return bText ? TQFLTR2_HAS_TOPIC : TQFLTR2_NO_TOPIC;
}

}  // namespace tq
