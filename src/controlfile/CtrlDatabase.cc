#include "controlfile/CtrlDatabase.h"

namespace tq {

CCtrlDatabase::CCtrlDatabase(std::pmr::memory_resource* pResource)
    : m_strName(pResource),
      m_strPrevName(pResource),
      m_strPublicName(pResource),
      m_strPrevPublicName(pResource),
      m_strDocListFile(pResource),
      m_strPdfSkipTitleFile(pResource),
      m_docs(pResource),
      m_skipDocs(pResource),
      m_rootPath(pResource),
      m_regKey(pResource),
      m_regEntry(pResource),
      m_exePath(pResource),
      m_exeKey(pResource),
      m_rootOrgPath(pResource),
      m_exeOrgPath(pResource),
      m_groups(pResource) {}

void CCtrlDatabase::StoreIndexed(CtrlStringList& list, size_t n, std::string_view value) {
    if (n < list.size()) {
        list[n].assign(value);
        return;
    }
    list.resize(n);
    list.emplace_back(value);
}

}  // namespace tq
