#pragma once

#include "prompter.h"

#include <functional>

// Holds the change cycle while a message box is open, so a tick that falls
// due meanwhile waits for the box instead of running inside it.
class HoldingPrompter : public Prompter {
public:
    HoldingPrompter(Prompter &inner, std::function<void()> hold, std::function<void()> release)
        : m_inner(inner)
        , m_hold(std::move(hold))
        , m_release(std::move(release)) {}

    Answer show(Icon icon, const QString &title, const QString &text, Buttons buttons) override {
        m_hold();
        const Answer answer = m_inner.show(icon, title, text, buttons);
        m_release();
        return answer;
    }

private:
    Prompter &m_inner;
    std::function<void()> m_hold;
    std::function<void()> m_release;
};
