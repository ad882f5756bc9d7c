// The PDF check where poppler is not built for the target: every document answers "cannot
// check", so it is refused rather than accepted unexamined.
#include "tqfltr2/PdfTopicCheck.h"

#include "tqfltr2/Tqfltr2.h"

namespace tq {

int CPdfTopicCheck::Run() {
    return TQFLTR2_FAILED;
}

}  // namespace tq
