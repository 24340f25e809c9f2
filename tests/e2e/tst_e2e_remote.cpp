#include "desktoptest.h"

#include <QDirIterator>

#include <csignal>

namespace {

// A call on the test desktop's session bus; its answer, or "error: ...".
QString callRotafond(const QString &method, const QStringList &arguments = {}) {
    const QString service = QStringLiteral(ROTAFOND_APP_ID);
    QProcess gdbus;
    gdbus.start("gdbus", QStringList{"call", "--session", "--dest", service, "--object-path",
                                     "/" + QString(service).replace('.', '/'), "--method",
                                     method.startsWith('.') ? service + method : method} +
                             arguments);
    if (!gdbus.waitForFinished(10000) || gdbus.exitCode() != 0)
        return "error: " + QString::fromUtf8(gdbus.readAllStandardError());
    return QString::fromUtf8(gdbus.readAllStandardOutput()).trimmed();
}

} // namespace

// Every way the running copy ends, and its command line without one.
class TestE2ERemote : public DesktopTest {
    Q_OBJECT

public:
    TestE2ERemote()
        : DesktopTest({"gdbus"}) {}

private Q_SLOTS:
    void everyWayOut_savesAListChangedAMomentBefore_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("D-Bus Quit") << "Quit" << 0;
        QTest::newRow("--quit") << "--quit" << 0;
        QTest::newRow("close button") << "close" << 0;
        QTest::newRow("SIGTERM") << "signal" << int(SIGTERM);
        QTest::newRow("SIGINT") << "signal" << int(SIGINT);
        QTest::newRow("SIGHUP") << "signal" << int(SIGHUP);
    }

    void everyWayOut_savesAListChangedAMomentBefore() {
        QFETCH(QString, way);
        QFETCH(int, signalNumber);
        QList<WallpaperEntry> entries = storeColours({Qt::red, Qt::green, Qt::blue});
        QProcess *rotafond = start();
        QVERIFY(!waitForTray(rotafond).isEmpty());
        QTRY_COMPARE(stored(SettingsKeys::NextFile), 1);
        // Next finds the green picture gone: the list loses it, and the walk goes
        // on by "NextFile" (2, out of range in the shorter list) to the first.
        QVERIFY(QFile::remove(entries.takeAt(1).filePath));
        QTRY_VERIFY(
            !callRotafond("org.freedesktop.DBus.Properties.Get", {ROTAFOND_APP_ID, "Interval"})
                 .startsWith("error"));
        QCOMPARE(callRotafond(".Next"), QStringLiteral("()"));
        QTRY_COMPARE(stored(SettingsKeys::NextFile), 0);
        if (way == "Quit") {
            QCOMPARE(callRotafond(".Quit"), QStringLiteral("()"));
        } else if (way == "--quit") {
            QCOMPARE(runOption("--quit"), 0);
        } else if (way == "close") {
            QCOMPARE(runOption("--show"), 0);
            closeWindow(waitForWindow("^Rotafond$", rotafond->processId()));
        } else {
            ::kill(pid_t(rotafond->processId()), signalNumber);
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
