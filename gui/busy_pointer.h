#pragma once

namespace hv {

// The hourglass over the whole program for the life of the object, while it
// waits for something (a lock, a restore); nothing without a window system.
class BusyPointer {
public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    bool m_shown;
};

}  // namespace hv
