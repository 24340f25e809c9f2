#pragma once

#include <QString>

// Message boxes, behind an interface so core code and tests never open one.
// Texts use "\n" for line breaks.
class Prompter {
public:
    enum class Icon { None, Information, Question, Warning, Critical };
    enum class Buttons { Ok, OkCancel };
    enum class Answer { Ok, Cancel };

    virtual ~Prompter() = default;
    virtual Answer show(Icon icon, const QString &title, const QString &text, Buttons buttons) = 0;

    void inform(Icon icon, const QString &title, const QString &text) {
        show(icon, title, text, Buttons::Ok);
    }
};
