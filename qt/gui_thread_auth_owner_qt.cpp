#include "qt/gui_thread_auth_owner_qt.h"

#include <QCoreApplication>
#include <QEvent>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace vq {
namespace {

// One report waiting for the GUI thread; it lives on the worker's stack until `done`.
struct Report {
    unsigned message;
    std::uintptr_t wparam;
    void* lparam;
    bool done = false;
};

}  // namespace

struct GuiThreadAuthOwner::State {
    Handler handler;
    std::mutex mutex;
    std::condition_variable done;
    std::deque<Report*> queue;
    bool detached = false;

    // Runs the queued reports, one at a time, on the GUI thread.
    void Deliver() {
        for (;;) {
            Report* report = nullptr;
            {
                std::lock_guard lock(mutex);
                if (queue.empty() || detached) return;
                report = queue.front();
            }
            // The lock is not held while the handler runs: it may take its time, and it may
            // detach the owner itself.
            try {
                handler(report->message, report->wparam, report->lparam);
            } catch (...) {
                // The worker is let go whatever the handler did.
            }
            std::lock_guard lock(mutex);
            // A detach during the handler has let the worker go already, and its report with
            // it: the report must not be touched again.
            if (detached) return;
            queue.pop_front();
            report->done = true;
            done.notify_all();
        }
    }
};

// A QObject on the GUI thread that runs the queue when a posted event reaches it. Posting is
// safe from any thread; the events still queued when it goes are discarded with it.
class GuiThreadAuthOwner::Mailbox final : public QObject {
public:
    static inline const QEvent::Type kDeliver =
        static_cast<QEvent::Type>(QEvent::registerEventType());

    explicit Mailbox(std::shared_ptr<State> state) : state_(std::move(state)) {}

    bool event(QEvent* event) override {
        if (event->type() != kDeliver) return QObject::event(event);
        // Kept alive by a copy: the handler may detach the owner, which lets this mailbox go.
        const std::shared_ptr<State> state = state_;
        state->Deliver();
        return true;
    }

private:
    std::shared_ptr<State> state_;
};

GuiThreadAuthOwner::GuiThreadAuthOwner(Handler handler)
    : state_(std::make_shared<State>()), mailbox_(new Mailbox(state_)) {
    state_->handler = std::move(handler);
}

GuiThreadAuthOwner::~GuiThreadAuthOwner() { Detach(); }

void GuiThreadAuthOwner::Send(unsigned message, std::uintptr_t wparam, void* lparam) {
    Report report{message, wparam, lparam};
    std::unique_lock lock(state_->mutex);
    if (state_->detached) return;
    state_->queue.push_back(&report);
    // Posted under the lock: Detach, which lets the mailbox go, cannot run in between.
    QCoreApplication::postEvent(mailbox_, new QEvent(Mailbox::kDeliver));
    state_->done.wait(lock, [&] { return report.done; });
}

void GuiThreadAuthOwner::Detach() {
    {
        std::lock_guard lock(state_->mutex);
        if (state_->detached) return;
        state_->detached = true;
        for (Report* report : state_->queue) report->done = true;
        state_->queue.clear();
    }
    state_->done.notify_all();
    // Not deleted here: Detach may be running inside the mailbox's own event.
    mailbox_->deleteLater();
}

}  // namespace vq
