#include "applications/TopicLibrary.h"

#include <cstdio>

#include "platform/ComTypes.h"
#include "platform/Environment.h"
#include "platform/Win32Error.h"

namespace tq {

namespace {

template <typename PFN>
bool FindExport(const CModule& module, const char* pszName, PFN& pfn, std::string* pstrDetail) {
    pfn = reinterpret_cast<PFN>(module.GetProcAddress(pszName));
    if (pfn == nullptr && pstrDetail != nullptr) {
        *pstrDetail = std::string("the library has no function ") + pszName;
    }
    return pfn != nullptr;
}

}  // namespace

std::string GetTopicLibraryFolder() {
    std::string strFolder;
    if (GetEnvironmentVariable(kTopicLibraryDirVariable, strFolder) == ERROR_SUCCESS &&
        !strFolder.empty()) {
        return strFolder;
    }
    return GetModuleFolder(reinterpret_cast<const void*>(&GetTopicLibraryFolder));
}

const CTopicLibrary& CTopicLibrary::Get() {
    // Loaded once, by whichever thread asks first; the statics' guard makes the others wait.
    static const CTopicLibrary* s_pLibrary = [] {
        auto* pLibrary = new CTopicLibrary;  // kept to the end: checks may run at exit
        std::string strFolder = GetTopicLibraryFolder();
        std::string strDetail;
        if (pLibrary->Load(strFolder, &strDetail) != ERROR_SUCCESS) {
            std::fprintf(stderr,
                         "tqcstm: the topic-filter library %s cannot be used (%s); every help "
                         "file is refused. Set %s to the folder that holds it.\n",
                         GetLibraryFileName(kTopicLibraryName).c_str(), strDetail.c_str(),
                         kTopicLibraryDirVariable);
        }
        return pLibrary;
    }();
    return *s_pLibrary;
}

int32_t CTopicLibrary::Load(const std::string& strFolder, std::string* pstrDetail) {
    Forget();
    std::string strPath = (strFolder.empty() ? std::string(".") : strFolder) + "/" +
                          GetLibraryFileName(kTopicLibraryName);
    int32_t err = m_module.Load(strPath, pstrDetail);
    if (err != ERROR_SUCCESS) {
        return err;
    }
    if (!FindExport(m_module, "PAS_HlpHaveTopic", m_pfnHlp, pstrDetail) ||
        !FindExport(m_module, "PAS_ChmHaveTopic", m_pfnChm, pstrDetail) ||
        !FindExport(m_module, "PAS_PdfHaveTopic", m_pfnPdf, pstrDetail) ||
        !FindExport(m_module, "PAS_TxtHaveTopic", m_pfnTxt, pstrDetail) ||
        !FindExport(m_module, "PAS_HtmlHaveTopic", m_pfnHtml, pstrDetail)) {
        Forget();
        return ERROR_PROC_NOT_FOUND;
    }
    return ERROR_SUCCESS;
}

void CTopicLibrary::Forget() {
    m_pfnHlp = nullptr;
    m_pfnChm = nullptr;
    m_pfnPdf = nullptr;
    m_pfnTxt = nullptr;
    m_pfnHtml = nullptr;
    m_module.Unload();
}

int32_t CTopicLibrary::HlpHaveTopic(const std::string& strPath) const {
    return m_pfnHlp ? m_pfnHlp(strPath.c_str()) : TOPIC_CHECK_UNAVAILABLE;
}

int32_t CTopicLibrary::ChmHaveTopic(const std::string& strPath) const {
    return m_pfnChm ? m_pfnChm(strPath.c_str(), 1) : TOPIC_CHECK_UNAVAILABLE;
}

int32_t CTopicLibrary::PdfHaveTopic(const std::string& strPath, int32_t divideNoBookmark) const {
    return m_pfnPdf ? m_pfnPdf(strPath.c_str(), divideNoBookmark, nullptr, nullptr)
                    : TOPIC_CHECK_UNAVAILABLE;
}

int32_t CTopicLibrary::TxtHaveTopic(const std::string& strPath) const {
    return m_pfnTxt ? m_pfnTxt(strPath.c_str()) : TOPIC_CHECK_UNAVAILABLE;
}

int32_t CTopicLibrary::HtmlHaveTopic(const std::string& strPath) const {
    return m_pfnHtml ? m_pfnHtml(strPath.c_str()) : TOPIC_CHECK_UNAVAILABLE;
}

}  // namespace tq
