#include "tqfltr2/PdfTopicCheck.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "tqfltr2/TopicFile.h"
#include "tqfltr2/Tqfltr2.h"
#include "tqfltr2/VisibleText.h"

namespace tq {
namespace {

// poppler reports every oddity of a damaged file on stderr; the answer says all the caller
// needs, so its messages are dropped.
void DropPopplerMessage(const std::string& /*message*/, void* /*closure*/) {}

void SilencePopplerOnce() {
    static std::once_flag s_once;
    std::call_once(s_once, [] { poppler::set_debug_error_function(DropPopplerMessage, nullptr); });
}

// How much is read where the trailer says the cross-reference section begins.
constexpr uint32_t kCrossReferenceProbe = 64;

bool IsPdfWhite(char c) {
    return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\f' || c == '\0';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view SkipPdfWhite(std::string_view s) {
    while (!s.empty() && IsPdfWhite(s.front())) {
        s.remove_prefix(1);
    }
    return s;
}

// A cross-reference table ("xref") or a cross-reference stream ("12 0 obj"), possibly after
// white space.
bool IsCrossReferenceStart(std::string_view section) {
    section = SkipPdfWhite(section);
    if (section.substr(0, 4) == "xref") {
        return true;
    }
    for (int number = 0; number < 2; ++number) {
        size_t digits = 0;
        while (digits < section.size() && IsDigit(section[digits])) {
            ++digits;
        }
        if (digits == 0 || digits == section.size() || !IsPdfWhite(section[digits])) {
            return false;
        }
        section = SkipPdfWhite(section.substr(digits));
    }
    return section.substr(0, 3) == "obj";
}

bool PageHasText(const poppler::page& page) {
    poppler::byte_array utf8 = page.text().to_utf8();
    return HasVisibleUtf8(std::string_view(utf8.data(), utf8.size()));
}

}  // namespace

int CPdfTopicCheck::Run() {
    if (int answer = CheckFrame(); answer != 0) {
        return answer;
    }
    SilencePopplerOnce();
    std::unique_ptr<poppler::document> pDoc(
        poppler::document::load_from_file(m_file.GetLinuxPath()));
    if (pDoc == nullptr) {
        return m_file.CanStillOpen() ? TQFLTR2_DAMAGED : TQFLTR2_UNREADABLE;
    }
    // Locked: a user password is needed to open it. Without the copy permission the author
    // forbade taking the text out, which is what indexing does.
    if (pDoc->is_locked() || !pDoc->has_permission(poppler::perm_copy)) {
        return TQFLTR2_PROTECTED;
    }
    int pages = pDoc->pages();
    for (int i = 0; i < pages; ++i) {
        std::unique_ptr<poppler::page> pPage(pDoc->create_page(i));
        if (pPage != nullptr && PageHasText(*pPage)) {
            return TQFLTR2_HAS_TOPIC;
        }
    }
    return TQFLTR2_NO_TOPIC;
}

int CPdfTopicCheck::CheckFrame() {
    std::string strHead;
    std::string strTail;
    uint64_t size = m_file.GetSize();
    uint64_t tailOffset = size > kPdfFrameSize ? size - kPdfFrameSize : 0;
    if (int err = m_file.ReadAt(0, kPdfFrameSize, strHead); err != 0) {
        return err;
    }
    if (int err = m_file.ReadAt(tailOffset, kPdfFrameSize, strTail); err != 0) {
        return err;
    }
    if (strHead.find("%PDF-") == std::string::npos || strTail.find("%%EOF") == std::string::npos) {
        return TQFLTR2_DAMAGED;
    }
    return CheckCrossReference(strTail);
}

int CPdfTopicCheck::CheckCrossReference(const std::string& strTail) {
    // poppler rebuilds a document whose cross-reference section cannot be found by scanning the
    // whole file, which takes minutes for a file of some GiB; a document whose end does not
    // lead to its cross-reference section is damaged, and refused before that scan.
    size_t pos = strTail.rfind("startxref");
    if (pos == std::string::npos) {
        return TQFLTR2_DAMAGED;
    }
    pos += 9;
    while (pos < strTail.size() && IsPdfWhite(strTail[pos])) {
        ++pos;
    }
    uint64_t offset = 0;
    size_t digits = 0;
    for (; pos < strTail.size() && IsDigit(strTail[pos]) && digits < 19; ++pos, ++digits) {
        offset = offset * 10 + static_cast<uint64_t>(strTail[pos] - '0');
    }
    if (digits == 0 || offset >= m_file.GetSize()) {
        return TQFLTR2_DAMAGED;
    }
    std::string strSection;
    if (int err = m_file.ReadAt(offset, kCrossReferenceProbe, strSection); err != 0) {
        return err;
    }
    return IsCrossReferenceStart(strSection) ? 0 : TQFLTR2_DAMAGED;
}

}  // namespace tq
