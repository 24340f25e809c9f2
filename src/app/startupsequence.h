#pragma once

#include "commandline.h"

class FirstRunIntroduction;
class Prompter;
class SettingsStore;
class SingleInstance;
class StartupHost;

// The program's start, step by step: one copy only, the clear switch, the
// splash, the main window's load, the defaults dialog, then the tray or, with
// an empty list, the first-run introduction.
class StartupSequence {
public:
    StartupSequence(SingleInstance &instance, SettingsStore &settings, StartupHost &host,
                    Prompter &prompter, FirstRunIntroduction &introduction);

    // False when the program must end at once (another copy runs).
    bool run(StartAction action);

private:
    SingleInstance &m_instance;
    SettingsStore &m_settings;
    StartupHost &m_host;
    Prompter &m_prompter;
    FirstRunIntroduction &m_introduction;
};
