#include "applications/JobWaitLoop.h"

#include <utility>

namespace tq {

void CJobWaitLoop::Send(const std::function<void()>& task) {
    if (std::this_thread::get_id() == m_owner) {
        task();
        return;
    }
    // The sender sleeps on its own mark, which the owner sets once the task has run; the
    // mutex orders the task's effects before the sender reads them.
    bool bRan = false;
    std::condition_variable ran;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_tasks.push_back([&] {
        RunSentTask(task);
        std::lock_guard<std::mutex> inner(m_mutex);
        bRan = true;
        ran.notify_one();
    });
    m_wake.notify_one();
    ran.wait(lock, [&] { return bRan; });
}

void CJobWaitLoop::Post(std::function<void()> task) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tasks.push_back(std::move(task));
    m_wake.notify_one();
}

void CJobWaitLoop::Done() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bDone = true;
    m_wake.notify_one();
}

void CJobWaitLoop::Wait() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_bDone || !m_tasks.empty(); });
        if (m_tasks.empty()) {
            return;  // done, and nothing left that a sender waits for
        }
        std::function<void()> task = std::move(m_tasks.front());
        m_tasks.pop_front();
        // Tasks run without the lock: they take it themselves to tell their sender.
        lock.unlock();
        task();
        lock.lock();
    }
}

}  // namespace tq
