// The topic-filter library: tells whether a help or manual file holds searchable topics, so that
// only files the index builder can build something from become part of an application.
//
// Every function takes the full Windows path of the file in code page 932 ("C:\docs\a.chm",
// "Z:\home\user\manual.pdf"), resolved through the platform layer that the library shares with
// the host: the drives of the host's prefix, and the host's current directory for a relative
// path. Only the answer TQFLTR2_HAS_TOPIC means "accept the file"; every other answer is a
// refusal, and the distinct negative answers say why.
//
// The functions may be called from any thread, also at the same time. They never change the
// file and open it sharing read, write and delete access, so a check does not disturb the index
// builder. Their cost is bounded: they stop at the first topic that holds text and read the
// file's structures in bounded pieces, so a huge file costs time in proportion to what has to be
// read before the answer is known, never memory in proportion to the file.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define TQFLTR2_API __declspec(dllexport)
#else
#define TQFLTR2_API __attribute__((visibility("default")))
#endif

// The file holds at least one searchable topic with text.
#define TQFLTR2_HAS_TOPIC 1
// The file is a sound file of its kind but holds no topic with text (an empty or white-space
// text, an HTML page without body text, a PDF whose pages yield no text, a CHM without an HTML
// topic that holds text, a WinHelp container without a "|TOPIC" file).
#define TQFLTR2_NO_TOPIC 0
// The file cannot be read: the path is null, malformed or too long, names nothing, names a
// folder, or the file may not be read (access denied, or held by another program without read
// sharing).
#define TQFLTR2_UNREADABLE (-1)
// The file is not a sound file of its kind: wrong signature, truncated, internal offsets outside
// the file, or binary data where text is expected.
#define TQFLTR2_DAMAGED (-2)
// The file is protected: a PDF that needs a password to open or that forbids text extraction.
#define TQFLTR2_PROTECTED (-3)
// The check could not be completed (out of memory or an unexpected failure of a reader).
#define TQFLTR2_FAILED (-4)

// WinHelp file (.hlp): a container with the WinHelp signature whose internal directory lists a
// "|TOPIC" file that holds more than an empty topic block header.
TQFLTR2_API int PAS_HlpHaveTopic(const char* path);

// Compiled HTML help (.chm): the archive opens and at least n of its HTML topics (.htm or .html
// objects) hold body text. The product asks with n = 1; n below 1 counts as 1.
TQFLTR2_API int PAS_ChmHaveTopic(const char* path, int n);

// PDF (.pdf): the document opens without a password, allows text extraction, and at least one
// page yields text. divideNoBookmark tells how the index builder cuts the document into topics
// when it has no outline (1: one topic per page, 0: the whole document as one topic); either
// way the document has a searchable topic exactly when some page yields text, so the answer does
// not depend on it. skipTitles (a null-terminated list of bookmark titles the builder leaves out)
// and flags (per-title options) are reserved for the builder; the product passes null for both
// and this check ignores them.
TQFLTR2_API int PAS_PdfHaveTopic(const char* path, int divideNoBookmark, const char** skipTitles,
                                 const unsigned char* flags);

// Text (.txt): readable text, in code page 932 or (after a byte-order mark) UTF-8 or UTF-16,
// holding a character other than white space and control characters (the ideographic space
// counts as white space). A NUL byte in the first 64 KiB of a file without a UTF-16 byte-order
// mark marks binary data: TQFLTR2_DAMAGED.
TQFLTR2_API int PAS_TxtHaveTopic(const char* path);

// HTML (.htm, .html): the page, parsed as browsers do with recovery from broken markup and
// without network access, holds text in its body outside scripts and style sheets. Binary data
// (a NUL byte in the first 64 KiB without a UTF-16 byte-order mark): TQFLTR2_DAMAGED.
TQFLTR2_API int PAS_HtmlHaveTopic(const char* path);

#ifdef __cplusplus
}
#endif
