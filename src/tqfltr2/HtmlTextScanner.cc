#include "tqfltr2/HtmlTextScanner.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>

#include <climits>
#include <cstring>
#include <mutex>

#include "tqfltr2/Cp932Encoding.h"

namespace tq {
namespace {

CHtmlTextScanner* ScannerOf(void* pCtx) {
    return static_cast<CHtmlTextScanner*>(pCtx);
}

void StartElement(void* pCtx, const xmlChar* pszName, const xmlChar** /*attributes*/) {
    ScannerOf(pCtx)->OnStartElement(reinterpret_cast<const char*>(pszName));
}
void EndElement(void* pCtx, const xmlChar* pszName) {
    ScannerOf(pCtx)->OnEndElement(reinterpret_cast<const char*>(pszName));
}
void Characters(void* pCtx, const xmlChar* pText, int cb) {
    ScannerOf(pCtx)->OnCharacters(reinterpret_cast<const char*>(pText), cb);
}
// Script and style contents arrive as raw blocks; they are not text a reader searches for.
void IgnoreBlock(void* /*pCtx*/, const xmlChar* /*pText*/, int /*cb*/) {}

bool IsSkippedElement(const char* pszName) {
    return pszName != nullptr &&
           (std::strcmp(pszName, "script") == 0 || std::strcmp(pszName, "style") == 0 ||
            std::strcmp(pszName, "title") == 0);
}

// An encoding announced by a byte-order mark; the parser's own sniffing in push mode relies on
// the page's declaration only.
xmlCharEncoding EncodingOfByteOrderMark(std::string_view piece) {
    if (piece.size() >= 2 && piece[0] == '\xFF' && piece[1] == '\xFE') {
        return XML_CHAR_ENCODING_UTF16LE;
    }
    if (piece.size() >= 2 && piece[0] == '\xFE' && piece[1] == '\xFF') {
        return XML_CHAR_ENCODING_UTF16BE;
    }
    if (piece.size() >= 3 && piece.substr(0, 3) == "\xEF\xBB\xBF") {
        return XML_CHAR_ENCODING_UTF8;
    }
    return XML_CHAR_ENCODING_NONE;
}

void InitParserOnce() {
    // libxml2 sets up its global tables on first use; doing it once up front keeps that out of
    // the race between threads that check files at the same time.
    static std::once_flag s_once;
    std::call_once(s_once, [] {
        xmlInitParser();
        RegisterCp932Encoding();
    });
}

}  // namespace

CHtmlTextScanner::~CHtmlTextScanner() {
    if (m_pCtxt != nullptr) {
        htmlFreeParserCtxt(m_pCtxt);
    }
}

bool CHtmlTextScanner::CreateParser(std::string_view firstPiece) {
    InitParserOnce();
    htmlSAXHandler sax;
    std::memset(&sax, 0, sizeof(sax));
    sax.startElement = StartElement;
    sax.endElement = EndElement;
    sax.characters = Characters;
    sax.ignorableWhitespace = Characters;
    sax.cdataBlock = IgnoreBlock;
    // The parser starts with nothing and gets the first piece through Feed, so that the byte-
    // order mark decides the encoding before any byte is decoded.
    m_pCtxt = htmlCreatePushParserCtxt(&sax, this, nullptr, 0, nullptr,
                                       EncodingOfByteOrderMark(firstPiece));
    if (m_pCtxt == nullptr) {
        m_bFailed = true;
        return false;
    }
    htmlCtxtUseOptions(
        m_pCtxt, HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING);
    return true;
}

bool CHtmlTextScanner::Feed(std::string_view piece) {
    if (m_bText || m_bFailed || m_bFinished) {
        return m_bText;
    }
    if (m_pCtxt == nullptr && !CreateParser(piece)) {
        return false;
    }
    while (!piece.empty() && !m_bText) {
        int cb = piece.size() > INT_MAX / 2 ? INT_MAX / 2 : static_cast<int>(piece.size());
        htmlParseChunk(m_pCtxt, piece.data(), cb, 0);
        piece.remove_prefix(static_cast<size_t>(cb));
    }
    return m_bText;
}

bool CHtmlTextScanner::Finish() {
    if (m_pCtxt != nullptr && !m_bText && !m_bFinished) {
        htmlParseChunk(m_pCtxt, nullptr, 0, 1);
    }
    m_bFinished = true;
    return m_bText;
}

void CHtmlTextScanner::OnStartElement(const char* pszName) {
    if (pszName != nullptr && std::strcmp(pszName, "body") == 0) {
        m_bInBody = true;
    }
    if (IsSkippedElement(pszName)) {
        ++m_nSkipDepth;
    }
}

void CHtmlTextScanner::OnEndElement(const char* pszName) {
    if (IsSkippedElement(pszName) && m_nSkipDepth > 0) {
        --m_nSkipDepth;
    }
}

void CHtmlTextScanner::OnCharacters(const char* pText, int cb) {
    if (m_bText || !m_bInBody || m_nSkipDepth > 0 || pText == nullptr || cb <= 0) {
        return;
    }
    if (HasVisibleUtf8(std::string_view(pText, static_cast<size_t>(cb)))) {
        m_bText = true;
        xmlStopParser(m_pCtxt);  // the answer is known; the rest of the page is not needed
    }
}

}  // namespace tq
