#pragma once

#include "prompter.h"

// Prompter over QMessageBox, for the running program.
class MessageBoxPrompter : public Prompter {
public:
    Answer show(Icon icon, const QString &title, const QString &text, Buttons buttons) override;
};
