#include "browse/FileFilter.h"

#include "platform/Cp932.h"

namespace tq {

std::string_view ExtensionOf(std::string_view strPath) {
    size_t nSlash = FindLastChar(strPath, '\\');
    size_t nNameStart = nSlash == std::string_view::npos ? 0 : nSlash + 1;
    std::string_view strName = strPath.substr(nNameStart);
    size_t nDot = FindLastChar(strName, '.');
    return nDot == std::string_view::npos ? std::string_view() : strName.substr(nDot);
}

void CFileFilter::AddExtensions(std::string_view strText) {
    size_t nStart = 0;
    while (nStart < strText.size()) {
        size_t nBar = FindChar(strText, '|', nStart);
        if (nBar == std::string_view::npos) {
            nBar = strText.size();
        }
        m_extensions.insert(ToUpperCp932(strText.substr(nStart, nBar - nStart)));
        nStart = nBar + 1;
    }
}

bool CFileFilter::Passes(std::string_view strFileName) const {
    if (m_extensions.empty()) {
        return true;
    }
    std::string_view strExtension = ExtensionOf(strFileName);
    if (!strExtension.empty()) {
        strExtension.remove_prefix(1);
    }
    return m_extensions.count(ToUpperCp932(strExtension)) != 0;
}

}  // namespace tq
