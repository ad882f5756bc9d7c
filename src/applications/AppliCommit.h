// What the add wizard and the edit dialog leave in the model when they end with success.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tq {

class CCtrlFile;
class CEditFileSets;

// After the name page's Finish has added the application at position (0-based among the free
// types): files it under "アプリケーション" and under a group of its own name there, and adds
// each target file as a document in list order. These results are not examined: the
// application exists already. Returns the application's 1-based number.
int32_t CommitNewAppli(CCtrlFile& file, int32_t position, const std::string& strName,
                       const std::vector<std::string>& targets);

// After the edit dialog's OK: removes the documents of the removed set, then adds those of the
// added set. 0 when a document was added or removed or the name changed (bNameChanged), else
// TQE_CANCELLED: an OK that changed nothing counts as a cancel.
int32_t ApplyEditedFiles(CCtrlFile& file, int32_t index, bool bNameChanged,
                         const CEditFileSets& sets);

}  // namespace tq
