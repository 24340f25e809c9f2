#pragma once

#include "prompter.h"

#include <QList>
#include <QStringList>

#include <functional>

// Answers message boxes from a script and records what was shown; onShow
// runs while a box is open, as whatever happens behind a modal box would.
class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        Icon icon;
        QString title;
        QString text;
        Buttons buttons;
    };
    QList<Answer> answers;
    QList<Shown> shown;
    std::function<void()> onShow;

    Answer show(Icon icon, const QString &title, const QString &text, Buttons buttons) override {
        shown.append({icon, title, text, buttons});
        if (onShow)
            onShow();
        return answers.isEmpty() ? Answer::Ok : answers.takeFirst();
    }
    QStringList titles() const {
        QStringList result;
        for (const Shown &box : shown)
            result.append(box.title);
        return result;
    }
};
