// The topic check of PDF documents through poppler. Before poppler sees the file, its frame is
// checked: the "%PDF-" signature within the first 1024 bytes, the "%%EOF" marker within the
// last 1024, as readers require, and the trailer's pointer to the cross-reference section.
// poppler would rebuild a cut-off file from whatever objects survived, scanning the whole file,
// but the index builder takes such a file for damaged, and so does this check.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

class CTopicFile;

// Where the signature and the end marker must be found.
constexpr uint32_t kPdfFrameSize = 1024;

class CPdfTopicCheck {
public:
    explicit CPdfTopicCheck(CTopicFile& file) : m_file(file) {}
    // One of the TQFLTR2_* answers. Pages are examined in order until one yields text.
    int Run();

private:
    int CheckFrame();
    // The trailer's "startxref" must give the offset of a cross-reference section.
    int CheckCrossReference(const std::string& strTail);

    CTopicFile& m_file;
};

}  // namespace tq
