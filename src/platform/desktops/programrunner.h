#pragma once

#include "desktopbackend.h"

#include <QStringList>

// Runs a desktop's command-line tool by argument list (never through a shell)
// and turns every way it can fail into a reported result.
ApplyResult runProgram(const QString &program, const QStringList &arguments,
                       QString *output = nullptr, int timeoutMs = 10000);
