// Code page 932 as libxml2's reading of pages declared "Shift_JIS" (and its other names). Pages
// of Japanese help are written in the system's code page 932 whatever they declare; read as
// strict Shift_JIS, its characters beyond that standard (circled numbers, Roman numerals, the
// vendors' kanji) stop the conversion, and the page's text after them is lost to the check.
#pragma once

namespace tq {

// Registers the encoding with libxml2 for every parser of the process: once, with libxml2's own
// initialization (the HTML scanner's), before the first parser starts.
void RegisterCp932Encoding();

}  // namespace tq
