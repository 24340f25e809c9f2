#pragma once

#include "result.h"

#include <QString>
#include <QStringList>

// Runs a desktop's command-line tool by argument list (never through a shell)
// and turns every way it can fail into a reported result; gives what the tool
// wrote to its standard output.
Result<QString> runProgram(const QString &program, const QStringList &arguments,
                           int timeoutMs = 10000);
