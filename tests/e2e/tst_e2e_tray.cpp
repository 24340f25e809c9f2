#include "desktopdriver.h"

#include "settingsstore.h"
#include "wallpaperliststore.h"

#include <QRandomGenerator>
#include <QScopeGuard>

#include <csignal>

class TestE2ETray : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void storedList_livesInTheTrayAndItsMenuWorks();
    void quitSignalsAtAnyMoment_loseNothing();
    void withoutATray_theWindowStaysReachable();

private:
    QList<WallpaperEntry> storeColours(const QList<QColor> &colours) {
        QList<WallpaperEntry> entries;
        for (const QColor &colour : colours) {
            QImage image(30, 20, QImage::Format_RGB32);
            image.fill(colour);
            const QString path = m_desktop->path(colour.name() + ".png");
            image.save(path);
            entries.append({path, false, false, true});
        }
        SettingsStore settings(m_desktop->configFile(), {});
        WallpaperListStore(settings).save(entries);
        return entries;
    }
    int nextFile() const {
        return SettingsStore(m_desktop->configFile(), {}).read(SettingsKeys::NextFile);
    }

    std::unique_ptr<DesktopDriver> m_desktop;
    std::unique_ptr<QProcess> m_rotafond;
};

void TestE2ETray::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X display: run through test.sh");
}

void TestE2ETray::init() {
    m_desktop = std::make_unique<DesktopDriver>();
}

void TestE2ETray::cleanup() {
    if (m_rotafond) {
        m_rotafond->kill();
        m_rotafond->waitForFinished();
    }
    m_rotafond.reset();
}

void TestE2ETray::storedList_livesInTheTrayAndItsMenuWorks() {
    storeColours({Qt::darkRed, Qt::darkGreen});
    m_rotafond = m_desktop->program();
    m_rotafond->start();
    const qint64 pid = m_rotafond->processId();
    QString icon;
    QTRY_VERIFY_WITH_TIMEOUT(!(icon = DesktopDriver::trayIcon(pid)).isEmpty(), 10000);
    QVERIFY(DesktopDriver::windows("^Rotafond$", pid).isEmpty()); // the main window is hidden
    QTRY_COMPARE(DesktopDriver::rootPixel(500, 500), QColor(Qt::darkRed).rgb());
    QTRY_COMPARE(nextFile(), 1);

    // Right click, third item: "Change Wallpaper" moves on through the cycle.
    QVERIFY(DesktopDriver::retry(
        [&] {
            DesktopDriver::clickWindow(icon, 3);
            QTest::qWait(400);
            DesktopDriver::keys({"Down", "Down", "Down", "Return"});
        },
        [] { return DesktopDriver::rootPixel(500, 500) == QColor(Qt::darkGreen).rgb(); }));
    QTRY_COMPARE(nextFile(), 0);

    // Fourth item: "Clear Screen".
    QVERIFY(DesktopDriver::retry(
        [&] {
            DesktopDriver::clickWindow(icon, 3);
            QTest::qWait(400);
            DesktopDriver::keys({"Down", "Down", "Down", "Down", "Return"});
        },
        [] { return DesktopDriver::rootPixel(500, 500) == qRgb(0, 0, 0); }));

    // A double click restores the main window and takes the icon away.
    QVERIFY(
        DesktopDriver::retry([&] { DesktopDriver::clickWindow(icon, 1, 2); },
                             [&] { return !DesktopDriver::windows("^Rotafond$", pid).isEmpty(); }));
    const QString window = DesktopDriver::waitForWindow("^Rotafond$", pid);
    QVERIFY(!window.isEmpty());
    QTRY_VERIFY(DesktopDriver::trayIcon(pid).isEmpty());

    // Exit asks first; OK ends the program with the list kept.
    DesktopDriver::pressKey(window, "ctrl+e");
    const QString question = DesktopDriver::waitForWindow("^Are you sure \\?\\?$", pid);
    QVERIFY(!question.isEmpty());
    DesktopDriver::pressKey(question, "Return");
    QVERIFY(m_rotafond->waitForFinished(5000));
    QCOMPARE(m_rotafond->exitCode(), 0);
    SettingsStore settings(m_desktop->configFile(), {});
    QCOMPARE(WallpaperListStore(settings).load().size(), 2);
}

void TestE2ETray::quitSignalsAtAnyMoment_loseNothing() {
    const QList<WallpaperEntry> entries = storeColours({Qt::red, Qt::green, Qt::blue});
    const int signals_[] = {SIGTERM, SIGINT, SIGHUP};
    for (int round = 0; round < 30; ++round) {
        m_rotafond = m_desktop->program();
        m_rotafond->start();
        QVERIFY(m_rotafond->waitForStarted());
        QTest::qWait(QRandomGenerator::global()->bounded(0, 700));
        ::kill(pid_t(m_rotafond->processId()), signals_[round % 3]);
        QVERIFY(m_rotafond->waitForFinished(5000));
        SettingsStore settings(m_desktop->configFile(), {});
        QCOMPARE(WallpaperListStore(settings).load(), entries);
    }
}

void TestE2ETray::withoutATray_theWindowStaysReachable() {
    storeColours({Qt::red});
    // A display of our own with a window manager and no tray: the shared
    // display's tray belongs to whoever started it.
    QProcess server;
    server.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    QVERIFY(server.waitForStarted());
    QTRY_VERIFY(server.canReadLine());
    const QByteArray display = ":" + server.readLine().trimmed();
    const QByteArray sharedDisplay = qgetenv("DISPLAY");
    qputenv("DISPLAY", display);
    auto restore = qScopeGuard([&] { qputenv("DISPLAY", sharedDisplay); });
    QProcess wm;
    wm.start("openbox", {});
    // Stopped on every way out of the test, a failed check included.
    auto stop = qScopeGuard([&] {
        for (QProcess *process : {&wm, &server}) {
            process->terminate();
            process->waitForFinished();
        }
    });
    QVERIFY(wm.waitForStarted());
    const auto wmReady = [] {
        QProcess xprop;
        xprop.start("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
        return xprop.waitForFinished(3000) && xprop.readAllStandardOutput().contains("window id");
    };
    // A loaded machine can take a while to bring up a second server and its manager.
    QTRY_VERIFY_WITH_TIMEOUT(wmReady(), 30000);

    m_rotafond = m_desktop->program();
    m_rotafond->start();
    const qint64 pid = m_rotafond->processId();
    // Not hidden into nothing: the window stays on the task bar, minimised.
    const QString window =
        DesktopDriver::waitForWindow("^Rotafond$", pid, DesktopDriver::Shown::MappedOrIconic);
    QVERIFY(!window.isEmpty());
    // A tray that turns up later does not take the window away.
    QProcess tray;
    tray.setStandardOutputFile(QProcess::nullDevice());
    tray.setStandardErrorFile(QProcess::nullDevice());
    tray.start("trayer", {"--edge", "top", "--align", "right", "--widthtype", "pixel", "--width",
                          "120", "--height", "24", "--transparent", "false", "--expand", "true"});
    QVERIFY(tray.waitForStarted());
    QTest::qWait(500);
    QVERIFY(DesktopDriver::trayIcon(pid).isEmpty());
    QCOMPARE(m_rotafond->state(), QProcess::Running);
    m_rotafond->kill();
    m_rotafond->waitForFinished();
    tray.terminate();
    tray.waitForFinished();
}

QTEST_GUILESS_MAIN(TestE2ETray)
#include "tst_e2e_tray.moc"
