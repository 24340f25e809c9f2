#include "startupsequence.h"

#include "firstrunintroduction.h"
#include "prompter.h"
#include "settingsstore.h"
#include "singleinstance.h"
#include "startuphost.h"

StartupSequence::StartupSequence(SingleInstance &instance, SettingsStore &settings,
                                 StartupHost &host, Prompter &prompter,
                                 FirstRunIntroduction &introduction)
    : m_instance(instance)
    , m_settings(settings)
    , m_host(host)
    , m_prompter(prompter)
    , m_introduction(introduction) {}

bool StartupSequence::run(StartAction action) {
    if (!m_instance.tryAcquire()) {
        m_prompter.inform(Prompter::Icon::Warning, QStringLiteral("Twice ???"),
                          QStringLiteral("Rotafond is already running!"));
        return false;
    }
    if (action == StartAction::ClearAndRun)
        m_settings.clearAll();
    m_host.showSplash();
    const int entries = m_host.loadMainWindow();
    m_host.loadDefaultsDialog();
    if (entries > 0)
        m_host.minimizeToTray();
    else
        m_introduction.run();
    return true;
}
