// Serialises the creation of image child windows. A creation can pump events
// (a long run keeps the frame painting while it shows documents), and one of
// those events can start another creation. Both run on the one user-interface
// thread, where the second cannot wait for the first to finish - the first
// sits beneath it on the stack and only goes on once the second returns - so
// the second is queued instead and runs as soon as the first has finished.
// Creations therefore never interleave and keep the order they started in.
#pragma once

#include <deque>
#include <functional>

namespace platform {

class ChildCreateGuard {
public:
    // Runs work now and returns true when no creation is under way (then
    // every creation queued meanwhile, in order); otherwise queues it behind
    // the one under way and returns false.
    bool Run(std::function<void()> work);

    bool Busy() const { return Held; }
    size_t Waiting() const { return Queue.size(); }

private:
    bool Held = false;
    std::deque<std::function<void()>> Queue;
};

} // namespace platform
