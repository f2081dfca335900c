#pragma once
// The player's callback window without a window system: outputs post their
// notifications here from any thread, and the owner's thread drains them,
// as a hidden window's messages would be handled on the thread that owns it.

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

class TMidiOut;
struct TMidiHdr;

// A long-message buffer returned by an output.
constexpr uint32_t MM_MOM_DONE = 0x3C9;

struct TMidiWindowMessage {
    uint32_t Msg = 0;
    TMidiOut* Out = nullptr;
    TMidiHdr* Header = nullptr;
};

class TMidiWindow {
public:
    // Any thread.
    void Post(const TMidiWindowMessage& message);
    // The owner's thread: hands each waiting message to `wndProc`, in order.
    // Returns how many were handled.
    int Drain(const std::function<void(const TMidiWindowMessage&)>& wndProc);
    // Forgets every waiting message.
    void Clear();
    bool Pending() const;

private:
    mutable std::mutex FLock;
    std::deque<TMidiWindowMessage> FQueue;
};
