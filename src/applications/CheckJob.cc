#include "applications/CheckJob.h"

#include <utility>

namespace tq {

int32_t CHelpFileCheck::operator()(const std::string& strPath) const {
    return CheckHelpFile(*m_pModel, strPath,
                         m_pFilter != nullptr ? *m_pFilter : CTopicLibrary::Get());
}

void RunSentTask(const std::function<void()>& task) noexcept {
    try {
        task();
    } catch (...) {
        // The job finds the operation failed.
    }
}

ERefusalReport DecideRefusalReport(const std::string& strRefusedNames, size_t nChosen) {
    if (strRefusedNames.empty()) {
        return ERefusalReport::kNone;
    }
    return nChosen == 1 ? ERefusalReport::kMessage : ERefusalReport::kReportDialog;
}

std::string MakeWaitText(int32_t nDots) {
    // "しばらくお待ちください "
    return "\x82\xb5\x82\xce\x82\xe7\x82\xad\x82\xa8\x91\xd2\x82\xbf\x82\xad\x82\xbe\x82\xb3"
           "\x82\xa2 " +
           std::string(static_cast<size_t>(nDots > 0 ? nDots : 0), '.');
}

int32_t NextWaitDots(int32_t nDots) {
    return nDots >= 3 ? 1 : nDots + 1;
}

CCheckJob::CCheckJob(std::vector<CCheckItem> items, CHelpFileCheck check, ITargetList& targets,
                     IJobOwner& owner, std::vector<std::string>* pAcceptedPaths)
    : m_items(std::move(items)),
      m_check(std::move(check)),
      m_targets(targets),
      m_owner(owner),
      m_pAcceptedPaths(pAcceptedPaths) {}

CCheckJob::~CCheckJob() {
    Join();
}

void CCheckJob::Start() {
    m_thread = std::thread([this] { Run(); });
}

void CCheckJob::Join() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool CCheckJob::IsInTargets(const std::string& strPath) {
    int32_t index = -1;
    m_owner.Send([&] { index = m_targets.FindStringExact(strPath); });
    return index >= 0;
}

int32_t CCheckJob::AddToTargets(const std::string& strPath) {
    int32_t index = -1;
    m_owner.Send([&] { index = m_targets.AddString(strPath); });
    return index;
}

void CCheckJob::Refuse(const std::string& strDisplayName) {
    if (!m_strRefusedNames.empty()) {
        m_strRefusedNames += "\r\n";
    }
    m_strRefusedNames += strDisplayName;
}

void CCheckJob::CheckItem(const CCheckItem& item) {
    if (IsInTargets(item.m_strPath)) {
        return;
    }
    if (const uint32_t idWhy = m_vet ? m_vet(item.m_strPath) : 0; idWhy != 0) {
        m_leftOut.push_back({item.m_strDisplayName, idWhy});
    } else if (m_check(item.m_strPath) != 1) {
        Refuse(item.m_strDisplayName);
    } else if (AddToTargets(item.m_strPath) >= 0 && m_pAcceptedPaths != nullptr) {
        m_pAcceptedPaths->push_back(item.m_strPath);
    }
}

void CCheckJob::Run() {
    for (size_t i = 0; i < m_items.size(); ++i) {
        // Whatever happens to one file, the owner must hear Done, or it would wait forever.
        try {
            CheckItem(m_items[i]);
        } catch (...) {
            try {
                Refuse(m_items[i].m_strDisplayName);
            } catch (...) {
            }
        }
        m_owner.Progress(i + 1, m_items.size());
    }
    m_owner.Done();
}

}  // namespace tq
