// The topic-filter library (libtqfltr2.so, TQFLTR2.dll), loaded at run time so that the product
// can ship its own build of it beside the component. It is looked for in the folder named by
// the environment variable TQ_TQFLTR2_DIR, else in the folder of the module that holds this code.
// A library that cannot be loaded, or that lacks one of its five functions, refuses every
// file with TOPIC_CHECK_UNAVAILABLE; the reason is written once to standard error.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Module.h"
#include "tqfltr2/Tqfltr2.h"

namespace tq {

// The library as the build names it (GetLibraryFileName gives its file).
constexpr const char* kTopicLibraryName = "tqfltr2";
constexpr const char* kTopicLibraryDirVariable = "TQ_TQFLTR2_DIR";
// The answer when no library can do the check: not 1, so the file is refused.
constexpr int32_t TOPIC_CHECK_UNAVAILABLE = TQFLTR2_FAILED;

// The library's checks as the component calls them: the one seam of the topic checks. Whoever
// wants other answers (a test, a host) gives its own filter: to HaveTopic and CheckHelpFile, to
// the check job (CHelpFileCheck), to the dialogs (CDialogContext::m_pTopicFilter).
class ITopicFilter {
public:
    virtual ~ITopicFilter() = default;
    virtual int32_t HlpHaveTopic(const std::string& strPath) const = 0;
    virtual int32_t ChmHaveTopic(const std::string& strPath) const = 0;
    virtual int32_t PdfHaveTopic(const std::string& strPath, int32_t divideNoBookmark) const = 0;
    virtual int32_t TxtHaveTopic(const std::string& strPath) const = 0;
    virtual int32_t HtmlHaveTopic(const std::string& strPath) const = 0;
};

class CTopicLibrary : public ITopicFilter {
public:
    // The library of this process, loaded at its first use (from any thread).
    static const CTopicLibrary& Get();

    // Loads the library from a folder of the system (a Linux folder on Linux). 0, or the
    // module's error (ERROR_MOD_NOT_FOUND, ERROR_BAD_EXE_FORMAT, ERROR_PROC_NOT_FOUND) with
    // pstrDetail saying what went wrong.
    int32_t Load(const std::string& strFolder, std::string* pstrDetail = nullptr);
    bool IsLoaded() const { return m_pfnHlp != nullptr; }

    // The library's answer unchanged (the CHM check asks for one topic, the PDF check gets no
    // titles and no flags); TOPIC_CHECK_UNAVAILABLE without a library.
    int32_t HlpHaveTopic(const std::string& strPath) const override;
    int32_t ChmHaveTopic(const std::string& strPath) const override;
    int32_t PdfHaveTopic(const std::string& strPath, int32_t divideNoBookmark) const override;
    int32_t TxtHaveTopic(const std::string& strPath) const override;
    int32_t HtmlHaveTopic(const std::string& strPath) const override;

private:
    void Forget();

    CModule m_module;
    decltype(&PAS_HlpHaveTopic) m_pfnHlp = nullptr;
    decltype(&PAS_ChmHaveTopic) m_pfnChm = nullptr;
    decltype(&PAS_PdfHaveTopic) m_pfnPdf = nullptr;
    decltype(&PAS_TxtHaveTopic) m_pfnTxt = nullptr;
    decltype(&PAS_HtmlHaveTopic) m_pfnHtml = nullptr;
};

// The folder the process's library is loaded from: TQ_TQFLTR2_DIR, else this module's folder.
std::string GetTopicLibraryFolder();

}  // namespace tq
