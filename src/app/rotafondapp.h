#pragma once

#include "apppaths.h"
#include "autostart.h"
#include "changecycle.h"
#include "cyclehost.h"
#include "desktopbackend.h"
#include "firstrunintroduction.h"
#include "holdingprompter.h"
#include "listautosaver.h"
#include "measurerun.h"
#include "messageboxprompter.h"
#include "monitors.h"
#include "quitsignals.h"
#include "remotecontrol.h"
#include "settingsstore.h"
#include "shellopen.h"
#include "singleinstance.h"
#include "startuphost.h"
#include "startupsequence.h"
#include "traymanager.h"
#include "wallpaperfiles.h"
#include "wallpaperlist.h"
#include "wallpaperliststore.h"

#include <QObject>
#include <QPointer>

#include <memory>

class AboutBox;
class BrowserWindow;
class ImageViewer;
class SplashWindow;
class DefaultsDialog;
class MainWindow;

// The running program: owns the store, the list and the windows, and plays
// the windows' part in the start-up sequence.
class RotafondApp : public QObject, public StartupHost, public CycleHost {
    Q_OBJECT

public:
    RotafondApp(const AppPaths &paths, const SettingsEnvironment &environment,
                std::unique_ptr<DesktopBackend> desktop, QObject *parent = nullptr);
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

    void removeEntry(int position) override;
    bool beepEnabled() const override;
    void beep() override;
    void showEmptyListMessage() override;
    void reportChangeFailure(const QString &why) override;

private:
    void saveEverything();
    void showDefaults(bool modal);
    void showViewer(const QString &path);
    void showAbout(QWidget *owner);
    void chooseFilesToAdd();
    void addFiles(const QStringList &paths);
    void addWaitingFiles();
    void fileMeasured(const MeasuredPicture &picture);
    void addingFinished();
    void storeFailed(const QString &filePath, const QString &reason);
    void minimizeByUser();
    void restoreMainWindow();
    void exitDialogue();
    void keepReachable();
    void publishRemoteControl();
    static QString noTrayText();

    SettingsStore m_settings;
    WallpaperList m_list;
    WallpaperListStore m_listStore;
    ListAutosaver m_autosaver;
    WallpaperFiles m_files;
    std::unique_ptr<DesktopBackend> m_desktop;
    QSize m_screenSize;
    ChangeCycle m_cycle;
    MonitorWatcher m_monitors;
    MessageBoxPrompter m_messageBoxes;
    HoldingPrompter m_prompter;
    Autostart m_autostart;
    SingleInstance m_instance;
    FirstRunIntroduction m_introduction;
    StartupSequence m_sequence;
    ShellOpen m_shell;
    std::unique_ptr<SplashWindow> m_splash;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<DefaultsDialog> m_defaults;
    std::unique_ptr<BrowserWindow> m_browser;
    std::unique_ptr<ImageViewer> m_viewer;
    QPointer<AboutBox> m_about;
    QuitSignals m_quitSignals;
    TrayManager m_tray;
    std::unique_ptr<RemoteControl> m_remote;
    bool m_toldNoTray = false;
    MeasureRun m_adding;
    QStringList m_filesToAdd;
    QStringList m_refusedFiles;
    int m_addedCount = 0;
    int m_addingTotal = 0;
};
