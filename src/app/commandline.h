#pragma once

#include <QStringList>

enum class StartAction { Run, ClearAndRun, ShowHelp, ShowVersion };

// What the arguments (without the program name) ask for. "/C" is the whole
// command line, blanks around it and letter case aside; "--clear" is the same.
// Anything else is ignored, as it always was.
StartAction parseCommandLine(const QStringList &arguments);

QString usageText();
