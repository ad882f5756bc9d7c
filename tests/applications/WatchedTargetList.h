// A sorted target list that notes the thread of every operation and can refuse paths, and a
// topic filter that answers every check with one function.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <thread>
#include <utility>

#include "applications/CheckJob.h"
#include "applications/TargetList.h"
#include "controlfile/CtrlModel.h"

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

class CAnswerFilter : public ITopicFilter {
public:
    explicit CAnswerFilter(std::function<int32_t(const std::string&)> fn) : m_fn(std::move(fn)) {}
    int32_t HlpHaveTopic(const std::string& p) const override { return m_fn(p); }
    int32_t ChmHaveTopic(const std::string& p) const override { return m_fn(p); }
    int32_t PdfHaveTopic(const std::string& p, int32_t) const override { return m_fn(p); }
    int32_t TxtHaveTopic(const std::string& p) const override { return m_fn(p); }
    int32_t HtmlHaveTopic(const std::string& p) const override { return m_fn(p); }
    // The check job's check of a model without settings, through this filter.
    CHelpFileCheck Check() const { return {&m_model, this}; }

private:
    std::function<int32_t(const std::string&)> m_fn;
    CCtrlModel m_model;
};

}  // namespace tq::test
