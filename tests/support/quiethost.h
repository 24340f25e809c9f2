#pragma once

// A change cycle's host for tests and benchmarks that look at the desktop
// only: nothing to remove or beep, and a failure is printed.

#include "cyclehost.h"

#include <QtGlobal>

struct QuietHost : CycleHost {
    void removeEntry(int) override {}
    bool beepEnabled() const override { return false; }
    void beep() override {}
    void showEmptyListMessage() override {}
    void reportChangeFailure(const QString &why) override { qWarning("%s", qPrintable(why)); }
};
