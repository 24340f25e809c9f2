#include "rotafondapp.h"

#include "aboutbox.h"
#include "addfile.h"
#include "browserwindow.h"
#include "defaultsdialog.h"
#include "imageviewer.h"
#include "mainwindow.h"
#include "picturefile.h"
#include "splashwindow.h"
#include "traymanager.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QSessionManager>

RotafondApp::RotafondApp(const AppPaths &paths, const SettingsEnvironment &environment,
                         std::unique_ptr<DesktopBackend> desktop, QObject *parent)
    : QObject(parent)
    , m_settings(paths.configFile, environment)
    , m_listStore(m_settings)
    , m_autosaver(m_list, m_listStore)
    , m_files(paths.dataFolder)
    , m_desktop(std::move(desktop))
    , m_screenSize(environment.screenSize.toSize())
    , m_cycle(m_list, m_settings, m_files, *m_desktop, *this, currentMonitors())
    , m_prompter(
          m_messageBoxes, [this] { m_cycle.hold(); }, [this] { m_cycle.release(); })
    , m_autostart(paths.autostartFolder)
    , m_instance(paths.lockFolder)
    , m_introduction(*this, m_prompter, m_autostart, QCoreApplication::applicationFilePath())
    , m_sequence(m_instance, m_settings, *this, m_prompter, m_introduction)
    , m_shell(m_prompter) {
    // Every way out saves: the program's own exits, log-out and the quit signals.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        saveEverything();
        // A change still running is dropped: the program ends within moments.
        m_cycle.finish(1200);
    });
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &RotafondApp::saveEverything);
    connect(&m_quitSignals, &QuitSignals::quitRequested, qApp, &QCoreApplication::quit);
    connect(&m_tray, &TrayManager::restoreRequested, this, &RotafondApp::restoreMainWindow);
    connect(&m_tray, &TrayManager::defaultsRequested, this, [this] { showDefaults(true); });
    connect(&m_tray, &TrayManager::changeWallpaperRequested, this, [this] { m_cycle.advance(); });
    connect(&m_tray, &TrayManager::clearScreenRequested, &m_cycle, &ChangeCycle::clearWallpaper);
    connect(&m_tray, &TrayManager::exitRequested, this, &RotafondApp::exitDialogue);
    connect(&m_tray, &TrayManager::aboutRequested, this, [this] { showAbout(nullptr); });
    connect(&m_cycle, &ChangeCycle::ticked, this, &RotafondApp::keepReachable);
    connect(&m_monitors, &MonitorWatcher::monitorsChanged, &m_cycle, &ChangeCycle::setMonitors);
    connect(&m_settings, &SettingsStore::writeFailed, this, &RotafondApp::storeFailed);
    connect(&m_settings, &SettingsStore::writeRecovered, this, [this] {
        if (m_mainWindow)
            m_mainWindow->showStatus(QStringLiteral("Settings and wallpaper list saved again."));
    });
    connect(&m_adding, &MeasureRun::measured, this,
            [this](int, const MeasuredPicture &picture) { fileMeasured(picture); });
    connect(&m_adding, &MeasureRun::finished, this, &RotafondApp::addingFinished);
}

RotafondApp::~RotafondApp() = default;

bool RotafondApp::start(StartAction action) {
    return m_sequence.run(action);
}

void RotafondApp::saveEverything() {
    // Before the list is loaded there is nothing of ours to save, and saving
    // the empty list would wipe the stored one (a second copy ends this way).
    if (!m_mainWindow)
        return;
    m_settings.write(
        SettingsKeys::MainWindowSize,
        QStringLiteral("%1 x %2").arg(m_mainWindow->width()).arg(m_mainWindow->height()));
    if (m_browser && m_browser->isVisible())
        m_browser->rememberGeometry();
    if (m_defaults)
        m_defaults->save();
    // The list last: flushing it waits until the disk holds everything.
    if (!m_autosaver.flush())
        qWarning("Rotafond: the settings and the wallpaper list could not be saved to %s",
                 qPrintable(m_settings.filePath()));
}

void RotafondApp::showSplash() {
    m_splash = std::make_unique<SplashWindow>();
    m_splash->load();
}

int RotafondApp::loadMainWindow() {
    m_mainWindow = std::make_unique<MainWindow>(m_list, m_prompter, m_screenSize);
    m_mainWindow->setBeep(m_settings.read(SettingsKeys::Beep) == 1);
    const QStringList size = m_settings.read(SettingsKeys::MainWindowSize).split(QLatin1Char('x'));
    if (size.size() == 2)
        m_mainWindow->resize(QSize(size.at(0).trimmed().toInt(), size.at(1).trimmed().toInt())
                                 .expandedTo(m_mainWindow->minimumSize()));
    connect(m_mainWindow.get(), &MainWindow::beepToggled, this,
            [this](bool on) { m_settings.write(SettingsKeys::Beep, on ? 1 : 0); });
    connect(m_mainWindow.get(), &MainWindow::changeNowRequested, this, [this](int position) {
        int counter = position;
        m_cycle.setNextWallpaper(counter);
    });
    connect(m_mainWindow.get(), &MainWindow::minimizeRequested, this, &RotafondApp::minimizeByUser);
    connect(m_mainWindow.get(), &MainWindow::exitRequested, this, &RotafondApp::exitDialogue);
    connect(m_mainWindow.get(), &MainWindow::browseRequested, this, &RotafondApp::showBrowser);
    connect(m_mainWindow.get(), &MainWindow::addFilesRequested, this,
            &RotafondApp::chooseFilesToAdd);
    connect(m_mainWindow.get(), &MainWindow::filesDropped, this, &RotafondApp::addFiles);
    connect(m_mainWindow.get(), &MainWindow::closed, qApp, &QCoreApplication::quit);
    connect(m_mainWindow.get(), &MainWindow::viewRequested, this, &RotafondApp::showViewer);
    connect(m_mainWindow.get(), &MainWindow::editRequested, this,
            [this](const QString &path) { m_shell.editOrOpen(path); });
    connect(m_mainWindow.get(), &MainWindow::aboutRequested, this,
            [this] { showAbout(m_mainWindow.get()); });
    m_list.reset(m_listStore.load([this](int percent, const QString &caption) {
        if (m_splash)
            m_splash->updateLoading(percent, caption);
    }));
    m_cycle.setChangeInterval(m_settings.read(SettingsKeys::TimerMins) +
                              60 * m_settings.read(SettingsKeys::TimerHours));
    m_cycle.start();
    if (!m_list.isEmpty()) {
        m_mainWindow->selectPosition(0);
        m_cycle.advance();
    }
    publishRemoteControl();
    return m_list.count();
}

void RotafondApp::loadDefaultsDialog() {
    m_defaults = std::make_unique<DefaultsDialog>(m_settings, m_screenSize, m_mainWindow.get());
    connect(m_defaults.get(), &DefaultsDialog::changeIntervalChanged, this,
            [this](int minutes) { m_cycle.setChangeInterval(minutes); });
    connect(m_defaults.get(), &DefaultsDialog::beepToggled, m_mainWindow.get(),
            &MainWindow::setBeep);
    connect(m_mainWindow.get(), &MainWindow::beepToggled, m_defaults.get(),
            &DefaultsDialog::setBeep);
    connect(m_mainWindow.get(), &MainWindow::defaultsRequested, this, &RotafondApp::showDefaults);
    m_defaults->load();
}

void RotafondApp::showDefaults(bool modal) {
    // Already open: bring it to the front instead of opening it twice.
    if (m_defaults->isVisible()) {
        m_defaults->raise();
        m_defaults->activateWindow();
        return;
    }
    if (!modal) {
        m_defaults->show();
        return;
    }
    m_cycle.hold();
    m_defaults->exec();
    m_cycle.release();
}

void RotafondApp::addFiles(const QStringList &paths) {
    // Files chosen while others are still being measured wait their turn.
    m_filesToAdd.append(paths);
    if (!m_adding.isRunning())
        addWaitingFiles();
}

void RotafondApp::addWaitingFiles() {
    m_addedCount = 0;
    m_refusedFiles.clear();
    m_addingTotal = int(m_filesToAdd.size());
    m_adding.start(std::exchange(m_filesToAdd, {}));
}

void RotafondApp::fileMeasured(const MeasuredPicture &picture) {
    const AddResult result =
        addMeasuredToList(m_list, picture, m_defaults->newEntryDefaults(), m_screenSize / 2);
    if (result.added)
        ++m_addedCount;
    else if (result.alreadyInList)
        m_refusedFiles.append(QStringLiteral("%1 is already in the list.").arg(picture.path));
    else
        m_refusedFiles.append(result.error);
}

void RotafondApp::addingFinished() {
    const QStringList refused = std::exchange(m_refusedFiles, {});
    const int added = m_addedCount;
    const int total = m_addingTotal;
    if (!m_filesToAdd.isEmpty())
        addWaitingFiles();
    if (!refused.isEmpty())
        m_prompter.inform(Prompter::Icon::Warning, QStringLiteral("Rotafond"),
                          QStringLiteral("%1 of %2 files were added. Not added:\n%3")
                              .arg(added)
                              .arg(total)
                              .arg(refused.mid(0, 20).join(QLatin1Char('\n'))));
}

void RotafondApp::storeFailed(const QString &filePath, const QString &reason) {
    const QString what =
        QStringLiteral("Rotafond cannot save your settings and wallpaper list to %1: %2.")
            .arg(filePath, reason);
    if (m_mainWindow)
        m_mainWindow->showStatus(what);
    // Once per run of failures; shown from the event loop, not from inside the store.
    QMetaObject::invokeMethod(
        this,
        [this, what] {
            m_prompter.inform(Prompter::Icon::Warning, QStringLiteral("Rotafond"),
                              what + QStringLiteral("\nNothing is lost while Rotafond runs: it "
                                                    "tries again at every change and when it "
                                                    "ends."));
        },
        Qt::QueuedConnection);
}

void RotafondApp::chooseFilesToAdd() {
    m_cycle.hold();
    const QStringList paths = QFileDialog::getOpenFileNames(
        m_mainWindow.get(), QStringLiteral("Add Images to the Wallpaper List"),
        m_settings.read(SettingsKeys::LastPath),
        QStringLiteral("Images (%1);;All files (*)")
            .arg(pictureNamePatterns().join(QLatin1Char(' '))));
    m_cycle.release();
    addFiles(paths);
}

void RotafondApp::minimizeToTray() {
    if (!TrayManager::isAvailable()) {
        // Without a tray, hiding would leave no way back: stay on the task bar.
        m_mainWindow->showMinimized();
        m_mainWindow->showStatus(noTrayText());
        return;
    }
    if (!m_tray.isInTray())
        m_tray.addIcon();
    m_mainWindow->hide();
}

QString RotafondApp::noTrayText() {
    return QStringLiteral("There is no system tray on this desktop, so Rotafond stays "
                          "minimised on the task bar.");
}

void RotafondApp::minimizeByUser() {
    if (!TrayManager::isAvailable() && !m_toldNoTray) {
        m_toldNoTray = true;
        m_prompter.inform(Prompter::Icon::Information, QStringLiteral("Rotafond"), noTrayText());
    }
    minimizeToTray();
}

void RotafondApp::restoreMainWindow() {
    showMainWindow();
    m_tray.removeIcon();
}

void RotafondApp::exitDialogue() {
    if (m_prompter.show(Prompter::Icon::Question, QStringLiteral("Are you sure ??"),
                        QStringLiteral("This will end this program!\n"
                                       "No more changes to your wallpaper wil be made..."),
                        Prompter::Buttons::OkCancel) == Prompter::Answer::Ok) {
        QCoreApplication::quit();
        return;
    }
    if (m_prompter.show(Prompter::Icon::Question, QStringLiteral("Alternative"),
                        QStringLiteral("Shall I minimize into the system tray?"),
                        Prompter::Buttons::OkCancel) == Prompter::Answer::Ok)
        minimizeByUser();
}

void RotafondApp::keepReachable() {
    // The tray host went away while we were hidden in it: come back to the task bar.
    if (m_mainWindow && m_mainWindow->isHidden() && m_tray.isInTray() &&
        !TrayManager::isAvailable()) {
        m_tray.removeIcon();
        minimizeToTray();
    }
}

void RotafondApp::publishRemoteControl() {
    // Only the copy that holds the lock gets here, with its list loaded.
    m_remote = std::make_unique<RemoteControl>(RemoteControl::Handlers{
        .next = [this] { m_cycle.advance(); },
        .clear = [this] { m_cycle.clearWallpaper(); },
        .show = [this] { restoreMainWindow(); },
        .quit = [] { QCoreApplication::quit(); },
        .currentEntry = [this] { return m_cycle.currentPicture(); },
        .interval = [this] { return m_cycle.changeInterval(); },
    });
    if (!m_remote->publish())
        qWarning(
            "Rotafond: no session bus, so rotafond --next and the like cannot reach this copy");
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
    m_defaults->exec();
}

void RotafondApp::showBrowser() {
    if (!m_browser) {
        m_browser = std::make_unique<BrowserWindow>(
            m_settings, m_prompter, Drives(), ThumbnailCache(ThumbnailCache::defaultFolder()),
            [this](const MeasuredPicture &picture) {
                return addMeasuredToList(m_list, picture, m_defaults->newEntryDefaults(),
                                         m_screenSize / 2);
            },
            m_mainWindow.get());
        connect(m_browser.get(), &BrowserWindow::viewRequested, this, &RotafondApp::showViewer);
    }
    m_browser->open();
}

void RotafondApp::showViewer(const QString &path) {
    if (!m_viewer)
        m_viewer = std::make_unique<ImageViewer>(
            m_prompter, QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size()
                                                         : m_screenSize);
    m_viewer->setPicture(path);
    m_viewer->showViewer();
}

void RotafondApp::showAbout(QWidget *owner) {
    if (m_about) {
        m_about->raise();
        m_about->activateWindow();
        return;
    }
    // A link that does not open has been explained to the user; the box stays as it is.
    AboutBox box(
        [this](const QString &link) {
            static_cast<void>(m_shell.open(link, QStringLiteral("open")));
        },
        owner);
    m_about = &box;
    m_cycle.hold();
    box.exec();
    m_cycle.release();
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
