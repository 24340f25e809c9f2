#include "desktoptest.h"

#include <QScopeGuard>

// The program in the tray and its main window as a user drives them, on a
// real display with a real window manager, and through its remote control.
class TestE2ETray : public DesktopTest {
    Q_OBJECT

public:
    TestE2ETray()
        : DesktopTest({"gdbus"}) {}

private Q_SLOTS:
    void storedList_livesInTheTrayAndAnswersItsUser() {
        QList<WallpaperEntry> entries =
            storeColours({Qt::darkRed, Qt::darkGreen, Qt::darkBlue, Qt::darkCyan, Qt::darkMagenta,
                          Qt::darkYellow});
        QProcess *rotafond = start();
        const qint64 pid = rotafond->processId();
        const QString icon = waitForTray(rotafond);
        QVERIFY(!icon.isEmpty());
        QVERIFY(windows("^Rotafond$", pid).isEmpty()); // the main window is hidden
        QTRY_COMPARE(rootPixel(), QColor(Qt::darkRed).rgb());
        QTRY_COMPARE(stored(SettingsKeys::NextFile), 1);
        QTRY_COMPARE(busProperty("CurrentEntry"), "(<'" + entries.at(0).filePath + "'>,)");
        QCOMPARE(busProperty("Interval"), QStringLiteral("(<5>,)"));

        // The tray menu's third item, "Change Wallpaper", and --next move on through the cycle.
        QVERIFY(retry(
            [&] {
                clickWindow(icon, 3);
                QTest::qWait(400);
                keys({}, {"Down", "Down", "Down", "Return"});
            },
            [] { return rootPixel() == QColor(Qt::darkGreen).rgb(); }));
        QCOMPARE(runOption("--next"), 0);
        QTRY_COMPARE(rootPixel(), QColor(Qt::darkBlue).rgb());
        QTRY_COMPARE(stored(SettingsKeys::NextFile), 3);
        QTRY_COMPARE(busProperty("CurrentEntry"), "(<'" + entries.at(2).filePath + "'>,)");
        QCOMPARE(runOption("--clear-wallpaper"), 0);
        QTRY_COMPARE(rootPixel(), qRgb(0, 0, 0));
        QTRY_COMPARE(busProperty("CurrentEntry"), QStringLiteral("(<''>,)"));

        // A double click brings the main window back and takes the icon away.
        QVERIFY(retry([&] { clickWindow(icon, 1, 2); },
                      [&] { return !windows("^Rotafond$", pid).isEmpty(); }));
        const QString window = waitForWindow("^Rotafond$", pid);
        QVERIFY(!window.isEmpty());
        QTRY_VERIFY(trayIcon(pid).isEmpty());

        // Other windows come and go; Delete still removes the entry chosen before.
        keys(window, {"Home", "Down", "Down", "Down", "Down"});
        const std::pair<QStringList, QString> visits[] = {
            {{"ctrl+v"}, "^Rotafond Image Viewer"},
            {{"ctrl+a"}, "^About Rotafond$"},
            {{"alt+t", "Return"}, "^Wallpaper Defaults$"}};
        for (const auto &[shortcut, title] : visits) {
            QVERIFY2(retry([&] { keys(window, shortcut); },
                           [&] { return !windows(title, pid).isEmpty(); }),
                     qPrintable(title + " did not open"));
            QProcess::execute("wmctrl", {"-i", "-c", waitForWindow(title, pid)}); // close button
            QTRY_VERIFY(windows(title, pid).isEmpty());
        }
        keys(window, {"Delete"});
        entries.removeAt(4);
        QTRY_COMPARE(storedList(), entries);

        // Exit asks first; OK ends the program with the list kept.
        keys(window, {"ctrl+e"});
        const QString question = waitForWindow("^Are you sure \\?\\?$", pid);
        QVERIFY(!question.isEmpty());
        keys(question, {"Return"});
        QVERIFY(rotafond->waitForFinished(5000));
        QCOMPARE(rotafond->exitCode(), 0);
        QCOMPARE(storedList(), entries);
    }

    void withoutATray_theWindowStaysReachable() {
        storeColours({Qt::red});
        // A display of our own with a window manager and no tray: the shared
        // display's tray belongs to whoever started it.
        QProcess server;
        QProcess wm;
        QProcess tray;
        const QByteArray sharedDisplay = qgetenv("DISPLAY");
        auto stop = qScopeGuard([&] {
            qputenv("DISPLAY", sharedDisplay);
            for (QProcess *process : {&tray, &wm, &server}) {
                process->terminate();
                process->waitForFinished();
            }
        });
        server.start("Xvfb",
                     {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        QVERIFY(server.waitForStarted());
        QTRY_VERIFY(server.canReadLine());
        qputenv("DISPLAY", ":" + server.readLine().trimmed());
        wm.start("openbox", {});
        QVERIFY(wm.waitForStarted());
        // A loaded machine can take a while to bring up a second server and its manager.
        QTRY_VERIFY_WITH_TIMEOUT(
            output("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id"), 30000);
        QProcess *rotafond = start();
        // Not hidden into nothing: the window stays on the task bar, minimised.
        QVERIFY(!waitForWindow("^Rotafond$", rotafond->processId(), true).isEmpty());
        // A tray that turns up later does not take the window away.
        tray.start("trayer",
                   {"--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120",
                    "--height", "24", "--transparent", "false", "--expand", "true"});
        QVERIFY(tray.waitForStarted());
        QTest::qWait(500);
        QVERIFY(trayIcon(rotafond->processId()).isEmpty());
        QCOMPARE(rotafond->state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestE2ETray)
#include "tst_e2e_tray.moc"
