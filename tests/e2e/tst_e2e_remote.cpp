#include "desktoptest.h"

#include <QDirIterator>

#include <csignal>

// Every way the running copy ends, and its command line without one.
class TestE2ERemote : public DesktopTest {
    Q_OBJECT

public:
    TestE2ERemote()
        : DesktopTest({"gdbus"}) {}

private Q_SLOTS:
    void everyWayOut_savesAListChangedAMomentBefore_data() {
        // --quit calls the bus's Quit; the start test sends the quit signals.
        QTest::addColumn<QString>("way");
        for (const char *way : {"--quit", "close button"})
            QTest::newRow(way) << way;
    }

    void everyWayOut_savesAListChangedAMomentBefore() {
        QFETCH(QString, way);
        QList<WallpaperEntry> entries = storeColours({Qt::red, Qt::green, Qt::blue});
        QProcess *rotafond = start();
        QVERIFY(!waitForTray(rotafond).isEmpty());
        QTRY_COMPARE(stored(SettingsKeys::NextFile), 1);
        // Next finds the green picture gone: the list loses it, and the walk goes
        // on by "NextFile" (2, out of range in the shorter list) to the first.
        QVERIFY(QFile::remove(entries.takeAt(1).filePath));
        QTRY_VERIFY(!busProperty("Interval").isEmpty());
        QCOMPARE(callBus(".Next"), QStringLiteral("()"));
        QTRY_COMPARE(stored(SettingsKeys::NextFile), 0);
        if (way == "--quit") {
            QCOMPARE(runOption("--quit"), 0);
        } else {
            QCOMPARE(runOption("--show"), 0);
            QProcess::execute("wmctrl",
                              {"-i", "-c", waitForWindow("^Rotafond$", rotafond->processId())});
        }
        QVERIFY(rotafond->waitForFinished(5000));
        QCOMPARE(rotafond->exitStatus(), QProcess::NormalExit);
        QCOMPARE(rotafond->exitCode(), 0);
        QCOMPARE(storedList(), entries);
    }

    void commandLine_withoutARunningCopy_saysSoAndLaunchesNoBus() {
        for (const char *option : {"--next", "--clear-wallpaper", "--show", "--quit"}) {
            QByteArray errors;
            QCOMPARE(runOption(option, {}, &errors), 1);
            QCOMPARE(errors, QByteArray("Rotafond is not running.\n"));
        }
        QVERIFY(!QFile::exists(configFile()));

        // Started through su, ssh or cron there may be no session bus: neither a
        // command nor the program may autolaunch one that outlives it.
        storeColours({Qt::red});
        QCOMPARE(runOption("--next", {"DBUS_SESSION_BUS_ADDRESS"}), 1);
        QProcess *rotafond = start({}, {"DBUS_SESSION_BUS_ADDRESS"});
        QVERIFY(!waitForTray(rotafond).isEmpty());
        QTest::qWait(1000);
        ::kill(pid_t(rotafond->processId()), SIGTERM);
        QVERIFY(rotafond->waitForFinished(10000));
        QCOMPARE(rotafond->exitCode(), 0);
        QTest::qWait(500); // a launched bus announces itself a moment later
        // Such a bus writes its address and process id into the home.
        for (QDirIterator files(path(".dbus/session-bus"), QDir::Files); files.hasNext();) {
            const QByteArray text = contents(files.next());
            const qsizetype at = text.indexOf("DBUS_SESSION_BUS_PID=");
            if (at >= 0) // the program's doing, so ours to end
                ::kill(pid_t(text.mid(at + 21).split('\n').first().toLongLong()), SIGTERM);
            QFAIL("a bus daemon was launched for the program and outlived it");
        }
    }
};

QTEST_GUILESS_MAIN(TestE2ERemote)
#include "tst_e2e_remote.moc"
