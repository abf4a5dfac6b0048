#include "platform/ChildCreateGuard.h"

namespace platform {

bool ChildCreateGuard::Run(std::function<void()> work)
{
    if (Held) {
        Queue.push_back(std::move(work));
        return false;
    }
    Held = true;
    work();
    while (!Queue.empty()) {
        std::function<void()> next = std::move(Queue.front());
        Queue.pop_front();
        next();
    }
    Held = false;
    return true;
}

} // namespace platform
