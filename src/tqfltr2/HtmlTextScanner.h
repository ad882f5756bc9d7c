// Finds body text in an HTML document with libxml2's HTML parser, which recovers from broken
// markup the way browsers do. The document is pushed through the parser in pieces and only
// events are watched (no tree is built), so the memory a page costs stays small and the scan
// stops at the first visible character in the body. Text in the head (the title), in scripts
// and in style sheets is not a topic's text.
#pragma once

#include <cstddef>
#include <string_view>

#include "tqfltr2/VisibleText.h"

struct _xmlParserCtxt;

namespace tq {

class CHtmlTextScanner {
public:
    CHtmlTextScanner() = default;
    ~CHtmlTextScanner();
    CHtmlTextScanner(const CHtmlTextScanner&) = delete;
    CHtmlTextScanner& operator=(const CHtmlTextScanner&) = delete;

    // Parses the next piece of the document; returns true once body text has been seen, after
    // which further pieces are not needed. The first piece decides the encoding (a byte-order
    // mark, else the page's own declaration, else Latin-1 for bytes that are not UTF-8).
    bool Feed(std::string_view piece);
    // Ends the document (closing what the markup left open); returns whether it holds text.
    bool Finish();
    bool HasText() const { return m_bText; }
    // True when the parser could not be created (out of memory).
    bool IsFailed() const { return m_bFailed; }

    // Parser events (called by libxml2 through a C interface).
    void OnStartElement(const char* pszName);
    void OnEndElement(const char* pszName);
    void OnCharacters(const char* pText, int cb);

private:
    bool CreateParser(std::string_view firstPiece);

    _xmlParserCtxt* m_pCtxt = nullptr;
    bool m_bInBody = false;
    int m_nSkipDepth = 0;  // open script, style and title elements
    bool m_bText = false;
    bool m_bFailed = false;
    bool m_bFinished = false;
};

}  // namespace tq
