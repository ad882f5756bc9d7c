// The owner's side of a check job without a toolkit: the owner's thread runs Wait, which
// carries out the tasks the worker sends (and any other work posted to it) until the job says
// it is done. It plays the part of the modal wait dialog's message loop.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "applications/CheckJob.h"

namespace tq {

class CJobWaitLoop : public IJobOwner {
public:
    // The thread that makes the loop is its owner.
    CJobWaitLoop() : m_owner(std::this_thread::get_id()) {}

    // From any other thread: queues the task and waits until the owner has run it. On the
    // owner's own thread the task runs at once (waiting for itself would never end).
    void Send(const std::function<void()>& task) override;
    // Queues work for the owner's thread without waiting for it.
    void Post(std::function<void()> task);
    void Done() override;

    // On the owner's thread: runs queued tasks until Done has been called and the queue is
    // empty. A loop is used for one job.
    void Wait();

private:
    std::mutex m_mutex;  // guards the queue and the done mark between worker and owner
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    bool m_bDone = false;
    const std::thread::id m_owner;
};

}  // namespace tq
