// A sorted target list that notes the thread of every operation and can refuse paths.
#pragma once

#include <set>
#include <string>
#include <thread>

#include "applications/TargetList.h"

namespace tq::test {

class CWatchedList : public ITargetList {
public:
    int32_t FindStringExact(const std::string& s) const override {
        Note();
        return m_list.FindStringExact(s);
    }
    int32_t AddString(const std::string& s) override {
        Note();
        return m_refuse.count(s) != 0 ? -1 : m_list.AddString(s);
    }

    CSortedTargetList m_list;
    std::set<std::string> m_refuse;
    mutable std::set<std::thread::id> m_threads;
    mutable size_t m_nOps = 0;

private:
    void Note() const {
        m_threads.insert(std::this_thread::get_id());
        ++m_nOps;
    }
};

}  // namespace tq::test
