#include "desktoptest.h"

#include <QScopeGuard>

// The program in the tray and its main window as a user drives them, on a
// real display with a real window manager.
class TestE2ETray : public DesktopTest {
    Q_OBJECT

private Q_SLOTS:
    void storedList_livesInTheTrayAndItsWindowsWork();
    void withoutATray_theWindowStaysReachable();

private:
    // Opens a window with keys pressed in the main window, then closes it as
    // a user would; whether it went.
    static bool visit(qint64 pid, const QString &mainWindow, const QStringList &keys,
                      const QString &title) {
        const bool opened = DesktopDriver::retry(
            [&] {
                QProcess::execute("wmctrl", {"-i", "-a", mainWindow});
                QTest::qWait(200);
                DesktopDriver::keys(keys);
            },
            [&] { return !DesktopDriver::windows(title, pid).isEmpty(); });
        const QString window = DesktopDriver::waitForWindow(title, pid);
        if (!opened || window.isEmpty())
            return false;
        DesktopDriver::closeWindow(window);
        return DesktopDriver::retry([] {},
                                    [&] { return DesktopDriver::windows(title, pid).isEmpty(); });
    }
    // Picks the item of the tray icon's menu at the given place.
    static void trayMenu(const QString &icon, int item) {
        DesktopDriver::clickWindow(icon, 3);
        QTest::qWait(400);
        DesktopDriver::keys(QStringList(item, "Down") << "Return");
    }
};

void TestE2ETray::storedList_livesInTheTrayAndItsWindowsWork() {
    QList<WallpaperEntry> entries = storeColours(
        {Qt::darkRed, Qt::darkGreen, Qt::darkBlue, Qt::darkCyan, Qt::darkMagenta, Qt::darkYellow});
    QProcess *rotafond = start();
    const qint64 pid = rotafond->processId();
    const QString icon = waitForTray(rotafond);
    QVERIFY(!icon.isEmpty());
    QVERIFY(DesktopDriver::windows("^Rotafond$", pid).isEmpty()); // the main window is hidden
    QTRY_COMPARE(DesktopDriver::rootPixel(500, 500), QColor(Qt::darkRed).rgb());
    QTRY_COMPARE(stored(SettingsKeys::NextFile), 1);

    // Third item: "Change Wallpaper" moves on through the cycle; fourth: "Clear Screen".
    QVERIFY(DesktopDriver::retry(
        [&] { trayMenu(icon, 3); },
        [] { return DesktopDriver::rootPixel(500, 500) == QColor(Qt::darkGreen).rgb(); }));
    QTRY_COMPARE(stored(SettingsKeys::NextFile), 2);
    QVERIFY(
        DesktopDriver::retry([&] { trayMenu(icon, 4); },
                             [] { return DesktopDriver::rootPixel(500, 500) == qRgb(0, 0, 0); }));

    // A double click restores the main window and takes the icon away.
    const QString window = restoreFromTray(icon, pid);
    QVERIFY(!window.isEmpty());
    QTRY_VERIFY(DesktopDriver::trayIcon(pid).isEmpty());

    // Other windows come and go; Delete still removes the entry chosen before.
    QProcess::execute("wmctrl", {"-i", "-a", window});
    QTest::qWait(300);
    DesktopDriver::keys({"Home", "Down", "Down", "Down", "Down"});
    QVERIFY(visit(pid, window, {"ctrl+v"}, "^Rotafond Image Viewer"));
    QVERIFY(visit(pid, window, {"ctrl+a"}, "^About Rotafond$"));
    QVERIFY(visit(pid, window, {"alt+t", "Return"}, "^Wallpaper Defaults$"));
    DesktopDriver::pressKey(window, "Delete");
    entries.removeAt(4);
    QTRY_COMPARE_WITH_TIMEOUT(storedList(), entries, 5000);

    // Exit asks first; OK ends the program with the list kept.
    DesktopDriver::pressKey(window, "ctrl+e");
    const QString question = DesktopDriver::waitForWindow("^Are you sure \\?\\?$", pid);
    QVERIFY(!question.isEmpty());
    DesktopDriver::pressKey(question, "Return");
    QVERIFY(rotafond->waitForFinished(5000));
    QCOMPARE(rotafond->exitCode(), 0);
    QCOMPARE(storedList(), entries);
}

void TestE2ETray::withoutATray_theWindowStaysReachable() {
    storeColours({Qt::red});
    // A display of our own with a window manager and no tray: the shared
    // display's tray belongs to whoever started it.
    QProcess server;
    server.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    QVERIFY(server.waitForStarted());
    QTRY_VERIFY(server.canReadLine());
    const QByteArray sharedDisplay = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":" + server.readLine().trimmed());
    QProcess wm;
    QProcess tray;
    // Stopped on every way out of the test, a failed check included.
    auto stop = qScopeGuard([&] {
        qputenv("DISPLAY", sharedDisplay);
        for (QProcess *process : {&tray, &wm, &server}) {
            process->terminate();
            process->waitForFinished();
        }
    });
    wm.start("openbox", {});
    QVERIFY(wm.waitForStarted());
    // A loaded machine can take a while to bring up a second server and its manager.
    QTRY_VERIFY_WITH_TIMEOUT(
        [] {
            QProcess xprop;
            xprop.start("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
            return xprop.waitForFinished(3000) &&
                   xprop.readAllStandardOutput().contains("window id");
        }(),
        30000);

    QProcess *rotafond = start();
    // Not hidden into nothing: the window stays on the task bar, minimised.
    QVERIFY(!DesktopDriver::waitForWindow("^Rotafond$", rotafond->processId(),
                                          DesktopDriver::Shown::MappedOrIconic)
                 .isEmpty());
    // A tray that turns up later does not take the window away.
    tray.setStandardOutputFile(QProcess::nullDevice());
    tray.setStandardErrorFile(QProcess::nullDevice());
    tray.start("trayer", {"--edge", "top", "--align", "right", "--widthtype", "pixel", "--width",
                          "120", "--height", "24", "--transparent", "false", "--expand", "true"});
    QVERIFY(tray.waitForStarted());
    QTest::qWait(500);
    QVERIFY(DesktopDriver::trayIcon(rotafond->processId()).isEmpty());
    QCOMPARE(rotafond->state(), QProcess::Running);
}

QTEST_GUILESS_MAIN(TestE2ETray)
#include "tst_e2e_tray.moc"
