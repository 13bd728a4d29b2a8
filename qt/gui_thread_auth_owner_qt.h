#pragma once
// The monitor window as the authorization worker's owner on Qt: every report is handed to the
// GUI thread and the worker waits until the window's handler has returned, as SendMessageW makes
// it wait on Windows. Once the window has detached (it is going), a report is lost and a worker
// that was waiting is let go, which is what the worker expects.

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>

#include "auth/auth_messages.h"

namespace vq {

class GuiThreadAuthOwner final : public AuthOwner {
public:
    // The window's handler of one report; runs on the thread of `context`'s object.
    using Handler = std::function<void(unsigned message, std::uintptr_t wparam, void* lparam)>;

    // Reports are delivered to `handler` on the thread that creates this owner (the GUI thread).
    explicit GuiThreadAuthOwner(Handler handler);
    ~GuiThreadAuthOwner() override;
    GuiThreadAuthOwner(const GuiThreadAuthOwner&) = delete;
    GuiThreadAuthOwner& operator=(const GuiThreadAuthOwner&) = delete;

    // Called on the worker's thread; returns when the handler has run or the owner detached.
    void Send(unsigned message, std::uintptr_t wparam, void* lparam) override;
    // Called on the GUI thread when the window goes.
    void Detach();

private:
    struct State;
    class Mailbox;

    // Shared with the mailbox, which may outlive this object by the events still queued for it.
    std::shared_ptr<State> state_;
    Mailbox* mailbox_;  // lives on the GUI thread; deleted there once detached
};

}  // namespace vq
