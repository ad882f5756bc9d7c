#include "applications/LeftOutFiles.h"

#include "controlfile/CtrlLogFile.h"
#include "platform/Cp932.h"
#include "platform/File.h"
#include "platform/Win32Error.h"
#include "resources/StringTable.h"

namespace tq {

namespace {

constexpr size_t kNameBytes = 60;

// At most kNameBytes bytes of the name, cut between characters, with "…" when cut.
std::string ShortName(const std::string& strName) {
    if (strName.size() <= kNameBytes) {
        return strName;
    }
    size_t nEnd = 0;
    while (nEnd + CharLength(strName, nEnd) <= kNameBytes) {
        nEnd += CharLength(strName, nEnd);
    }
    return strName.substr(0, nEnd) + "\x81\x63";
}

}  // namespace

uint32_t WhyNotTarget(const std::string& strPath) {
    uint32_t attributes = 0;
    switch (GetFileAttributes(strPath, attributes)) {
        case ERROR_SUCCESS:
            return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? IDS_LEFT_OUT_FOLDER : 0;
        case ERROR_INVALID_NAME:
            return IDS_LEFT_OUT_NAME;
        case ERROR_FILENAME_EXCED_RANGE:
            return IDS_LEFT_OUT_TOO_LONG;
        default:
            return IDS_LEFT_OUT_MISSING;
    }
}

std::string FormatLeftOutNote(const std::vector<CLeftOutFile>& files) {
    std::string strNote = LoadString(IDS_LEFT_OUT);
    for (size_t i = 0; i < files.size() && i < kLeftOutLines; ++i) {
        const std::string strName = ShortName(files[i].m_strName);
        const std::string strWhy = LoadString(files[i].m_idWhy);
        strNote.append(1, '\n').append(FormatLogMessage(IDS_LEFT_OUT_LINE, &strName, &strWhy));
    }
    if (files.size() > kLeftOutLines) {
        const std::string strMore = std::to_string(files.size() - kLeftOutLines);
        strNote.append(1, '\n').append(FormatLogMessage(IDS_LEFT_OUT_MORE, &strMore));
    }
    return strNote;
}

}  // namespace tq
