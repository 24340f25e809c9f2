#pragma once

#include <QStringList>

enum class StartAction {
    Run,
    ClearAndRun,
    ShowHelp,
    ShowVersion,
    // Commands for the copy that already runs; this one starts nothing.
    RemoteNext,
    RemoteClear,
    RemoteShow,
    RemoteQuit,
};

// What the arguments (without the program name) ask for. "/C" is the whole
// command line, blanks around it and letter case aside; "--clear" is the same.
// Anything else is ignored, as it always was.
StartAction parseCommandLine(const QStringList &arguments);

// The remote control's method for a remote command; empty for any other action.
QString remoteMethod(StartAction action);

QString usageText();
