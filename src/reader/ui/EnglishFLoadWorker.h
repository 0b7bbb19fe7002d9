#pragma once
// One background load of the reader window, on its own thread.
#include "reader/ui/EnglishF.h"

#include <atomic>
#include <thread>

namespace orasent {

// The window joins the thread when its end has been delivered, or when the window goes (after
// asking it to stop).
struct EnglishF::LoadWorker {
    int ticket = 0;
    std::atomic<bool> cancelled{false};
    std::thread thread;
};

} // namespace orasent
