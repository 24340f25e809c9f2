#include "desktoptest.h"

#include <QScopeGuard>

#include <csignal>

// The program started with a stored list: in the tray and its main window as
// a user drives them, on a real display with a real window manager, through
// its remote control, against a second copy and after a crash.
class TestE2ETray : public DesktopTest {
    Q_OBJECT

public:
    TestE2ETray()
        : DesktopTest({"gdbus"}) {}

private Q_SLOTS:
    void storedList_livesInTheTrayAndAnswersItsUser() {
        // "NextFile" says the second comes first. It is 6000 x 4000 at 16 bits
        // per channel, more than Qt's default allocation limit: such a picture
        // was once dropped when the main window decoded it first.
        QList<WallpaperEntry> entries =
            storeColours({Qt::darkRed, Qt::darkGreen, Qt::darkBlue, Qt::darkCyan, Qt::darkMagenta,
                          Qt::darkYellow});
        QImage deep(6000, 4000, QImage::Format_RGBX64);
        deep.fill(Qt::darkGreen);
        entries[1] = {path("deep.png"), true, true, false};
        QVERIFY(deep.save(entries[1].filePath));
        {
            SettingsStore settings(configFile(), {});
            WallpaperListStore(settings).save(entries);
            settings.write(SettingsKeys::NextFile, 1);
            QVERIFY(settings.sync());
        }
        QProcess *rotafond = start();
        const qint64 pid = rotafond->processId();
        QVERIFY(!waitForWindow("^Rotafond is loading$", pid).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(rootPixel(), QColor(Qt::darkGreen).rgb(), 20000);
        QTRY_VERIFY(windows("^Rotafond is loading$", pid).isEmpty());
        const QString icon = waitForTray(rotafond);
        QVERIFY(!icon.isEmpty());
        QVERIFY(windows("^Rotafond$", pid).isEmpty()); // the main window is hidden
        QTRY_COMPARE(stored(SettingsKeys::NextFile), 2);
        QTRY_VERIFY(QFile::exists(path("data/Rotafond/Rotafond.bmp")));
        QTRY_COMPARE(busProperty("CurrentEntry"), "(<'" + entries.at(1).filePath + "'>,)");
        QCOMPARE(busProperty("Interval"), QStringLiteral("(<5>,)"));

        // The tray menu's third item, "Change Wallpaper", and --next move on through the cycle.
        QVERIFY(retry(
            [&] {
                clickWindow(icon, 3);
                QTest::qWait(400);
                keys({}, {"Down", "Down", "Down", "Return"});
            },
            [] { return rootPixel() == QColor(Qt::darkBlue).rgb(); }));
        QCOMPARE(runOption("--next"), 0);
        QTRY_COMPARE(rootPixel(), QColor(Qt::darkCyan).rgb());
        QTRY_COMPARE(stored(SettingsKeys::NextFile), 4);
        QTRY_COMPARE(busProperty("CurrentEntry"), "(<'" + entries.at(3).filePath + "'>,)");
        QCOMPARE(runOption("--clear-wallpaper"), 0);
        QTRY_COMPARE(rootPixel(), qRgb(0, 0, 0));
        QTRY_COMPARE(busProperty("CurrentEntry"), QStringLiteral("(<''>,)"));

        // Started through su, ssh or cron (no XDG_RUNTIME_DIR), a second copy
        // still finds the lock, says so and clears nothing.
        const QByteArray before = contents(configFile());
        QProcess *second = start({"/C"}, {"XDG_RUNTIME_DIR"});
        keys(waitForWindow("^Twice \\?\\?\\?$", second->processId()), {"Return"});
        QVERIFY(second->waitForFinished(5000));
        QCOMPARE(second->exitCode(), 1);
        QCOMPARE(rotafond->state(), QProcess::Running);
        QCOMPARE(contents(configFile()), before);

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

        // A copy that crashed leaves its lock file behind, and it does not count.
        ::kill(pid_t(pid), SIGKILL);
        QVERIFY(rotafond->waitForFinished(5000));
        QVERIFY(!QDir(path("config/Rotafond")).entryList({"Rotafond-*.lock"}).isEmpty());
        QCOMPARE(storedList(), entries);
        QVERIFY(!waitForTray(start()).isEmpty());
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
        tray.setStandardOutputFile(QProcess::nullDevice());
        tray.setStandardErrorFile(QProcess::nullDevice());
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
