// The topic check of compiled HTML help (.chm) through chmlib. The archive's own header is
// checked first (signature, the declared file size, the directory inside the file and its
// entries, the compression's parameters), so a cut-off, damaged or foreign file is refused
// before chmlib follows any of its offsets or divides by any of its numbers; then the HTML objects
// are decompressed one by one into the HTML text scanner until enough of them hold text.
#pragma once

#include <cstdint>

struct chmFile;
struct chmUnitInfo;

namespace tq {

class CChmDirectory;
class CTopicFile;

class CChmTopicCheck {
public:
    CChmTopicCheck(CTopicFile& file, int nTopicsNeeded);
    // One of the TQFLTR2_* answers.
    int Run();

    // Called by chmlib for every object of the archive.
    int OnObject(chmFile* pChm, chmUnitInfo* pInfo);

private:
    // The archive's header and directory, and the LZX parameters chmlib will divide by.
    int CheckHeader();
    int CheckCompression(const CChmDirectory& dir, uint64_t data);
    // TQFLTR2_HAS_TOPIC when the object holds body text, TQFLTR2_NO_TOPIC when it does not,
    // TQFLTR2_DAMAGED when it cannot be decompressed whole.
    int CheckTopic(chmFile* pChm, chmUnitInfo* pInfo);

    CTopicFile& m_file;
    int m_nTopicsNeeded;
    int m_nTopicsFound = 0;
    int m_lFailure = 0;  // the answer that stopped the walk through the objects
};

}  // namespace tq
