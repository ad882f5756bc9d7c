// The library's exported functions: each opens the file, runs the check of its kind and turns
// anything unexpected into an answer, since nothing may be thrown across a module boundary.
#include "tqfltr2/Tqfltr2.h"

#include "tqfltr2/ChmTopicCheck.h"
#include "tqfltr2/HlpTopicCheck.h"
#include "tqfltr2/HtmlTopicCheck.h"
#include "tqfltr2/PdfTopicCheck.h"
#include "tqfltr2/TopicFile.h"
#include "tqfltr2/TxtTopicCheck.h"

namespace tq {
namespace {

template <typename TCheck, typename... TArgs>
int CheckFile(const char* pszPath, TArgs... args) noexcept {
    try {
        CTopicFile file;
        if (int answer = file.Open(pszPath); answer != 0) {
            return answer;
        }
        TCheck check(file, args...);
        return check.Run();
    } catch (...) {
        return TQFLTR2_FAILED;  // out of memory, or a reader library that threw
    }
}

}  // namespace
}  // namespace tq

extern "C" {

TQFLTR2_API int PAS_HlpHaveTopic(const char* path) {
    return tq::CheckFile<tq::CHlpTopicCheck>(path);
}

TQFLTR2_API int PAS_ChmHaveTopic(const char* path, int n) {
    return tq::CheckFile<tq::CChmTopicCheck>(path, n);
}

TQFLTR2_API int PAS_PdfHaveTopic(const char* path, int /*divideNoBookmark*/,
                                 const char** /*skipTitles*/, const unsigned char* /*flags*/) {
    return tq::CheckFile<tq::CPdfTopicCheck>(path);
}

TQFLTR2_API int PAS_TxtHaveTopic(const char* path) {
    return tq::CheckFile<tq::CTxtTopicCheck>(path);
}

TQFLTR2_API int PAS_HtmlHaveTopic(const char* path) {
    return tq::CheckFile<tq::CHtmlTopicCheck>(path);
}

}  // extern "C"
