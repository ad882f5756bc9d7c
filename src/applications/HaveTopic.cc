#include "applications/HaveTopic.h"

#include <string_view>

#include "applications/TextRules.h"
#include "controlfile/CtrlModel.h"
#include "platform/Cp932.h"
#include "resources/ErrorCodes.h"

namespace tq {

namespace {

// Whether the path ends in the extension and has at least one byte before it. The last bytes
// are compared as they are: a ".chm" can only be four single-byte characters.
bool HasExtension(std::string_view path, std::string_view ext) {
    return path.size() > ext.size() && EqualsNoCase(path.substr(path.size() - ext.size()), ext);
}

}  // namespace

int32_t HaveTopic(const std::string& strPath, int32_t divideNoBookmark,
                  const ITopicFilter& filter) {
    if (HasExtension(strPath, ".hlp")) {
        return filter.HlpHaveTopic(strPath);
    }
    if (HasExtension(strPath, ".chm")) {
        return filter.ChmHaveTopic(strPath);
    }
    if (HasExtension(strPath, ".pdf")) {
        return filter.PdfHaveTopic(strPath, divideNoBookmark != 0 ? 1 : 0);
    }
    if (HasExtension(strPath, ".txt")) {
        return filter.TxtHaveTopic(strPath);
    }
    if (HasExtension(strPath, ".htm") || HasExtension(strPath, ".html")) {
        return filter.HtmlHaveTopic(strPath);
    }
    return TQE_UNSUPPORTED_FILE;
}

int32_t CheckHelpFile(const CCtrlModel& model, const std::string& strPath,
                      const ITopicFilter& filter) {
    // A path with a control character cannot be stored as a document line (AddDoc refuses
    // it), so accepting it would leave an application without the file the user chose.
    if (HasControlChar(strPath)) {
        return TQE_CONTROL_CHAR;
    }
    return HaveTopic(strPath, model.GetSettings().m_dwDivideNoBookmark != 0 ? 1 : 0, filter);
}

}  // namespace tq
