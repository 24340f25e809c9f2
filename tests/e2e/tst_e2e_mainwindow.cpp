#include "desktopdriver.h"

#include "settingsstore.h"
#include "wallpaperliststore.h"

#include <QImage>

// The main window as a user drives it, on a real display with a real window
// manager: the other windows come and go and the main window's selection stays.
class TestE2EMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void deleteAfterOtherWindows_removesTheChosenEntryOnly();

private:
    QStringList storeList(int count) {
        QList<WallpaperEntry> entries;
        QStringList paths;
        for (int i = 0; i < count; ++i) {
            const QString path = m_desktop->path(QStringLiteral("picture %1.png").arg(i));
            QImage image(640, 400, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 40, 200, 160));
            image.save(path);
            entries.append({path, true, true, false});
            paths.append(path);
        }
        SettingsStore settings(m_desktop->configFile(), {});
        WallpaperListStore(settings).save(entries);
        return paths;
    }

    QStringList storedPaths() const {
        SettingsStore settings(m_desktop->configFile(), {});
        QStringList paths;
        for (const WallpaperEntry &entry : WallpaperListStore(settings).load())
            paths.append(entry.filePath);
        return paths;
    }

    // Opens a window with keys pressed in the main window, then closes it as
    // a user would; the main window is active again afterwards.
    bool visit(const QString &mainWindow, const QStringList &keys, const QString &title,
               const std::function<void(const QString &)> &closer) {
        const qint64 pid = m_rotafond->processId();
        const auto press = [&] {
            QProcess::execute("wmctrl", {"-i", "-a", mainWindow});
            QTest::qWait(200);
            DesktopDriver::keys(keys);
        };
        if (!DesktopDriver::retry(press,
                                  [&] { return !DesktopDriver::windows(title, pid).isEmpty(); }))
            return false;
        const QString window = DesktopDriver::waitForWindow(title, pid);
        if (window.isEmpty())
            return false;
        closer(window);
        QDeadlineTimer deadline(5000);
        while (!DesktopDriver::windows(title, pid).isEmpty() && !deadline.hasExpired())
            QTest::qWait(50);
        QProcess::execute("wmctrl", {"-i", "-a", mainWindow});
        QTest::qWait(300);
        return DesktopDriver::windows(title, pid).isEmpty();
    }

    std::unique_ptr<DesktopDriver> m_desktop;
    std::unique_ptr<QProcess> m_rotafond;
};

void TestE2EMainWindow::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X display: run through test.sh");
}

void TestE2EMainWindow::init() {
    m_desktop = std::make_unique<DesktopDriver>();
}

void TestE2EMainWindow::cleanup() {
    if (m_rotafond) {
        m_rotafond->kill();
        m_rotafond->waitForFinished();
    }
    m_rotafond.reset();
}

void TestE2EMainWindow::deleteAfterOtherWindows_removesTheChosenEntryOnly() {
    QStringList paths = storeList(8);
    m_rotafond = m_desktop->program();
    m_rotafond->start();
    const qint64 pid = m_rotafond->processId();
    QString icon;
    QTRY_VERIFY_WITH_TIMEOUT(!(icon = DesktopDriver::trayIcon(pid)).isEmpty(), 10000);
    QVERIFY(
        DesktopDriver::retry([&] { DesktopDriver::clickWindow(icon, 1, 2); },
                             [&] { return !DesktopDriver::windows("^Rotafond$", pid).isEmpty(); }));
    const QString window = DesktopDriver::waitForWindow("^Rotafond$", pid);
    QVERIFY(!window.isEmpty());

    QProcess::execute("wmctrl", {"-i", "-a", window});
    QTest::qWait(300);
    DesktopDriver::keys({"Home", "Down", "Down", "Down", "Down"});

    QVERIFY(visit(window, {"ctrl+v"}, "^Rotafond Image Viewer",
                  [](const QString &viewer) { DesktopDriver::pressKey(viewer, "Escape"); }));
    QVERIFY(visit(window, {"ctrl+a"}, "^About Rotafond$", &DesktopDriver::closeWindow));
    QVERIFY(
        visit(window, {"alt+t", "Return"}, "^Wallpaper Defaults$", &DesktopDriver::closeWindow));
    DesktopDriver::pressKey(window, "Delete");

    paths.removeAt(4);
    QTRY_COMPARE_WITH_TIMEOUT(storedPaths(), paths, 5000);
    m_rotafond->terminate();
    QVERIFY(m_rotafond->waitForFinished(5000));
    QCOMPARE(storedPaths(), paths);
}

QTEST_MAIN(TestE2EMainWindow)
#include "tst_e2e_mainwindow.moc"
