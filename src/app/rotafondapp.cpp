#include "rotafondapp.h"

#include "mainwindow.h"

#include <QCoreApplication>
#include <QGuiApplication>

RotafondApp::RotafondApp(const AppPaths &paths, const SettingsEnvironment &environment,
                         QObject *parent)
    : QObject(parent)
    , m_paths(paths)
    , m_settings(paths.configFile, environment)
    , m_listStore(m_settings)
    , m_autosaver(m_list, m_listStore)
    , m_autostart(paths.autostartFolder)
    , m_instance(paths.runtimeFolder)
    , m_introduction(*this, m_prompter, m_autostart, QCoreApplication::applicationFilePath())
    , m_sequence(m_instance, m_settings, *this, m_prompter, m_introduction) {
    connect(qApp, &QCoreApplication::aboutToQuit, this, &RotafondApp::saveEverything);
}

RotafondApp::~RotafondApp() = default;

bool RotafondApp::start(StartAction action) {
    return m_sequence.run(action);
}

void RotafondApp::saveEverything() {
    m_autosaver.flush();
}

void RotafondApp::showSplash() {
    // The splash window plugs in here.
}

int RotafondApp::loadMainWindow() {
    m_mainWindow = std::make_unique<MainWindow>(m_list);
    connect(m_mainWindow.get(), &MainWindow::closed, qApp, &QCoreApplication::quit);
    m_list.reset(m_listStore.load());
    m_mainWindow->selectPosition(0);
    return m_list.count();
}

void RotafondApp::loadDefaultsDialog() {
    // The defaults dialog plugs in here.
}

void RotafondApp::minimizeToTray() {
    // Until the tray icon exists the window stays reachable on the task bar.
    m_mainWindow->showMinimized();
}

void RotafondApp::setIntroRunning(bool running) {
    m_introRunning = running;
}

void RotafondApp::showMainWindow() {
    m_mainWindow->showNormal();
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
}

void RotafondApp::execDefaultsDialog() {
    // The defaults dialog plugs in here.
}

void RotafondApp::showBrowser() {
    // The thumbnail browser plugs in here.
}
