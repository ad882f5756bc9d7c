// The dialogs' tests run on the offscreen platform, so that no display is needed; one widget
// application serves the whole program.
#pragma once

#include <QWidget>
#include <functional>

namespace tq::test {

// Runs fn once the event loop has started (for code that is waiting in a modal loop).
void RunSoon(std::function<void()> fn, int nDelayMs = 0);
// Waits until the condition holds, processing events; false after nTimeoutMs.
bool WaitUntil(const std::function<bool()>& condition, int nTimeoutMs = 5000);

}  // namespace tq::test
