// What the frame asks of the active image child window: it takes the
// commands the frame passes on, and tells its zoom and fit state for the
// "&View" menu.
#pragma once

class ChildCommandTarget {
public:
    virtual ~ChildCommandTarget() = default;
    // Returns true when the child handled the command.
    virtual bool OnChildCommand(int id) = 0;
    virtual bool IsFitToWindow() const = 0;
    virtual int ZoomPercent() const = 0;
};
