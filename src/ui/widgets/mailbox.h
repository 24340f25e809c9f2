#pragma once

#include <QMetaObject>
#include <QMutex>
#include <QObject>

#include <memory>

// Hands results from worker threads to an object on the UI thread. Work
// still running when the object goes away posts into a closed mailbox and
// its result is dropped, so no worker ever touches a destroyed object.
class Mailbox {
    struct State {
        QMutex mutex;
        QObject *receiver = nullptr;
    };

public:
    explicit Mailbox(QObject *receiver)
        : m_state(std::make_shared<State>()) {
        m_state->receiver = receiver;
    }
    ~Mailbox() {
        QMutexLocker lock(&m_state->mutex);
        m_state->receiver = nullptr;
    }
    Mailbox(const Mailbox &) = delete;
    Mailbox &operator=(const Mailbox &) = delete;

    // A handle for a worker: post(f) runs f on the receiver's thread.
    class Address {
    public:
        template <typename Function> void post(Function &&function) const {
            QMutexLocker lock(&m_state->mutex);
            // Events still queued when the receiver is destroyed die with it.
            if (m_state->receiver)
                QMetaObject::invokeMethod(m_state->receiver, std::forward<Function>(function),
                                          Qt::QueuedConnection);
        }

    private:
        friend class Mailbox;
        explicit Address(std::shared_ptr<State> state)
            : m_state(std::move(state)) {}
        std::shared_ptr<State> m_state;
    };

    Address address() const { return Address(m_state); }

private:
    std::shared_ptr<State> m_state;
};
