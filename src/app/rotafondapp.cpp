#include "rotafondapp.h"

#include "mainwindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>

RotafondApp::RotafondApp(const AppPaths &paths, const SettingsEnvironment &environment,
                         std::unique_ptr<DesktopBackend> desktop, QObject *parent)
    : QObject(parent)
    , m_paths(paths)
    , m_settings(paths.configFile, environment)
    , m_listStore(m_settings)
    , m_autosaver(m_list, m_listStore)
    , m_files(paths.dataFolder)
    , m_desktop(std::move(desktop))
    , m_screenSize(environment.screenSize.toSize())
    , m_cycle(m_list, m_settings, m_files, *m_desktop, *this, m_screenSize)
    , m_prompter(
          m_messageBoxes, [this] { m_cycle.hold(); }, [this] { m_cycle.release(); })
    , m_autostart(paths.autostartFolder)
    , m_instance(paths.runtimeFolder)
    , m_introduction(*this, m_prompter, m_autostart, QCoreApplication::applicationFilePath())
    , m_sequence(m_instance, m_settings, *this, m_prompter, m_introduction) {
    // Every way out saves: the program's own exits, log-out and the quit signals.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &RotafondApp::saveEverything);
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &RotafondApp::saveEverything);
    connect(&m_quitSignals, &QuitSignals::quitRequested, qApp, &QCoreApplication::quit);
}

RotafondApp::~RotafondApp() = default;

bool RotafondApp::start(StartAction action) {
    return m_sequence.run(action);
}

void RotafondApp::saveEverything() {
    // Before the list is loaded there is nothing of ours to save, and saving
    // the empty list would wipe the stored one (a second copy ends this way).
    if (m_mainWindow)
        m_autosaver.flush();
}

void RotafondApp::showSplash() {
    // The splash window plugs in here.
}

int RotafondApp::loadMainWindow() {
    m_mainWindow = std::make_unique<MainWindow>(m_list, m_prompter, m_screenSize);
    m_mainWindow->setBeep(m_settings.read(SettingsKeys::Beep) == 1);
    connect(m_mainWindow.get(), &MainWindow::beepToggled, this,
            [this](bool on) { m_settings.write(SettingsKeys::Beep, on ? 1 : 0); });
    connect(m_mainWindow.get(), &MainWindow::changeNowRequested, this, [this](int position) {
        int counter = position;
        m_cycle.setNextWallpaper(counter);
    });
    connect(m_mainWindow.get(), &MainWindow::minimizeRequested, this, &RotafondApp::minimizeToTray);
    connect(m_mainWindow.get(), &MainWindow::exitRequested, qApp, &QCoreApplication::quit);
    connect(m_mainWindow.get(), &MainWindow::browseRequested, this, &RotafondApp::showBrowser);
    connect(m_mainWindow.get(), &MainWindow::closed, qApp, &QCoreApplication::quit);
    m_list.reset(m_listStore.load());
    m_cycle.setChangeInterval(m_settings.read(SettingsKeys::TimerMins) +
                              60 * m_settings.read(SettingsKeys::TimerHours));
    m_cycle.start();
    if (!m_list.isEmpty()) {
        m_mainWindow->selectPosition(0);
        m_cycle.advance();
    }
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
    m_cycle.setIntroRunning(running);
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

void RotafondApp::removeEntry(int position) {
    m_mainWindow->removeEntry(position);
}

bool RotafondApp::beepEnabled() const {
    return m_settings.read(SettingsKeys::Beep) == 1;
}

void RotafondApp::beep() {
    QApplication::beep();
}

void RotafondApp::showEmptyListMessage() {
    m_prompter.inform(Prompter::Icon::None, QStringLiteral("Oops..."),
                      QStringLiteral("Your wallpaper list is still empty!\n"
                                     "You MUST have something in it!!"));
    showBrowser();
}

void RotafondApp::reportChangeFailure(const QString &why) {
    // Shown once per run of failures, without a message box each minute.
    qWarning("Rotafond: the wallpaper could not be changed: %s", qPrintable(why));
    m_mainWindow->showStatus(QStringLiteral("The wallpaper could not be changed: %1").arg(why));
}
