#include "tqfltr2/TxtTopicCheck.h"

#include <string>

#include "tqfltr2/TextHead.h"
#include "tqfltr2/TopicFile.h"
#include "tqfltr2/Tqfltr2.h"
#include "tqfltr2/VisibleText.h"

namespace tq {

int CTxtTopicCheck::Run() {
    std::string strPiece;
    if (int err = m_file.ReadAt(0, kTextHeadSize, strPiece); err != 0) {
        return err;
    }
    CTextHead head(strPiece);
    if (head.IsBinary()) {
        return TQFLTR2_DAMAGED;
    }
    CVisibleTextScanner scanner(head.GetEncoding());
    bool bVisible = scanner.Feed(std::string_view(strPiece).substr(head.GetByteOrderMarkLength()));
    uint64_t offset = strPiece.size();
    while (!bVisible && !strPiece.empty()) {
        if (int err = m_file.ReadAt(offset, kTextHeadSize, strPiece); err != 0) {
            return err;
        }
        bVisible = scanner.Feed(strPiece);
        offset += strPiece.size();
    }
    return bVisible ? TQFLTR2_HAS_TOPIC : TQFLTR2_NO_TOPIC;
}

}  // namespace tq
