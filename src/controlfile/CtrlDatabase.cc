#include "controlfile/CtrlDatabase.h"

namespace tq {

void CCtrlDatabase::StoreIndexed(std::vector<std::string>& list, size_t n,
                                 const std::string& value) {
    if (n < list.size()) {
        list[n] = value;
        return;
    }
    list.resize(n);
    list.push_back(value);
}

}  // namespace tq
