#pragma once

#include "apppaths.h"
#include "autostart.h"
#include "firstrunintroduction.h"
#include "listautosaver.h"
#include "messageboxprompter.h"
#include "settingsstore.h"
#include "singleinstance.h"
#include "startuphost.h"
#include "startupsequence.h"
#include "wallpaperlist.h"
#include "wallpaperliststore.h"

#include <QObject>

#include <memory>

class MainWindow;

// The running program: owns the store, the list and the windows, and plays
// the windows' part in the start-up sequence.
class RotafondApp : public QObject, public StartupHost {
    Q_OBJECT

public:
    RotafondApp(const AppPaths &paths, const SettingsEnvironment &environment,
                QObject *parent = nullptr);
    ~RotafondApp() override;

    // False when the program must end at once.
    bool start(StartAction action);

    void showSplash() override;
    int loadMainWindow() override;
    void loadDefaultsDialog() override;
    void minimizeToTray() override;
    void setIntroRunning(bool running) override;
    void showMainWindow() override;
    void execDefaultsDialog() override;
    void showBrowser() override;

private:
    void saveEverything();

    AppPaths m_paths;
    SettingsStore m_settings;
    WallpaperList m_list;
    WallpaperListStore m_listStore;
    ListAutosaver m_autosaver;
    MessageBoxPrompter m_prompter;
    Autostart m_autostart;
    SingleInstance m_instance;
    FirstRunIntroduction m_introduction;
    StartupSequence m_sequence;
    std::unique_ptr<MainWindow> m_mainWindow;
    bool m_introRunning = false;
};
