#include "desktoptest.h"

#include <QDirIterator>

#include <csignal>

namespace {

const QString Service = QStringLiteral(ROTAFOND_APP_ID);
const QString ObjectPath = QLatin1Char('/') + QString(Service).replace('.', '/');

// A call through gdbus on the test desktop's session bus; its answer, or "error: ...".
QString callRotafond(const QString &method, const QStringList &arguments = {}) {
    QProcess gdbus;
    gdbus.start("gdbus", QStringList{"call", "--session", "--dest", Service, "--object-path",
                                     ObjectPath, "--method", method} +
                             arguments);
    if (!gdbus.waitForFinished(10000) || gdbus.exitCode() != 0)
        return QStringLiteral("error: ") + QString::fromUtf8(gdbus.readAllStandardError());
    return QString::fromUtf8(gdbus.readAllStandardOutput()).trimmed();
}

QString busProperty(const QString &name) {
    return callRotafond("org.freedesktop.DBus.Properties.Get", {Service, name});
}

} // namespace

// The running copy driven by D-Bus and by its own command line, and every way it ends.
class TestE2ERemote : public DesktopTest {
    Q_OBJECT

public:
    TestE2ERemote()
        : DesktopTest({"gdbus", "session bus"}) {}

private Q_SLOTS:
    void busCommands_actOnTheRunningCopy();
    void everyWayOut_savesAListChangedAMomentBefore_data();
    void everyWayOut_savesAListChangedAMomentBefore();
    void commandLine_withoutARunningCopy_saysSo();
    void withoutASessionBus_noBusIsLeftBehind();

private:
    // Starts the program and waits until it is in the tray and on the bus; its tray icon.
    QString startInTray() {
        m_rotafond = start();
        const QString icon = waitForTray(m_rotafond);
        QDeadlineTimer deadline(5000);
        while (busProperty("Interval").startsWith("error") && !deadline.hasExpired())
            QTest::qWait(100);
        return icon;
    }
    // Runs the program with one option; its exit code, what it printed in *errors.
    int runCommandLine(const QString &option, QByteArray *errors = nullptr) {
        const std::unique_ptr<QProcess> command = desktop().program({option});
        command->setProcessChannelMode(QProcess::SeparateChannels);
        command->start();
        if (!command->waitForFinished(15000))
            return -1;
        if (errors)
            *errors = command->readAllStandardError();
        return command->exitCode();
    }

    QProcess *m_rotafond = nullptr;
};

void TestE2ERemote::busCommands_actOnTheRunningCopy() {
    const QList<WallpaperEntry> pictures = storeColours({Qt::darkRed, Qt::darkGreen, Qt::darkBlue});
    QVERIFY(!startInTray().isEmpty());
    QTRY_COMPARE(DesktopDriver::rootPixel(500, 500), QColor(Qt::darkRed).rgb());
    QTRY_COMPARE(stored(SettingsKeys::NextFile), 1);

    QCOMPARE(busProperty("CurrentEntry"), "(<'" + pictures.at(0).filePath + "'>,)");
    QCOMPARE(busProperty("Interval"), QStringLiteral("(<5>,)"));

    // Next is the tray's Change Wallpaper: the entry stored as next, "NextFile" moves on.
    QCOMPARE(callRotafond(Service + ".Next"), QStringLiteral("()"));
    QTRY_COMPARE(DesktopDriver::rootPixel(500, 500), QColor(Qt::darkGreen).rgb());
    QTRY_COMPARE(stored(SettingsKeys::NextFile), 2);
    QTRY_COMPARE(busProperty("CurrentEntry"), "(<'" + pictures.at(1).filePath + "'>,)");

    QCOMPARE(runCommandLine("--clear-wallpaper"), 0);
    QTRY_COMPARE(DesktopDriver::rootPixel(500, 500), qRgb(0, 0, 0));
    QTRY_COMPARE(busProperty("CurrentEntry"), QStringLiteral("(<''>,)"));

    QCOMPARE(runCommandLine("--next"), 0);
    QTRY_COMPARE(DesktopDriver::rootPixel(500, 500), QColor(Qt::darkBlue).rgb());
    QTRY_COMPARE(stored(SettingsKeys::NextFile), 0);

    QCOMPARE(runCommandLine("--show"), 0);
    QVERIFY(!DesktopDriver::waitForWindow("^Rotafond$", m_rotafond->processId()).isEmpty());
    QTRY_VERIFY(DesktopDriver::trayIcon(m_rotafond->processId()).isEmpty());
}

void TestE2ERemote::everyWayOut_savesAListChangedAMomentBefore_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("D-Bus Quit") << "Quit" << 0;
    QTest::newRow("--quit") << "--quit" << 0;
    QTest::newRow("close button") << "close" << 0;
    QTest::newRow("SIGTERM") << "signal" << int(SIGTERM);
    QTest::newRow("SIGINT") << "signal" << int(SIGINT);
    QTest::newRow("SIGHUP") << "signal" << int(SIGHUP);
}

void TestE2ERemote::everyWayOut_savesAListChangedAMomentBefore() {
    QFETCH(QString, way);
    QFETCH(int, signalNumber);
    QList<WallpaperEntry> entries = storeColours({Qt::red, Qt::green, Qt::blue});
    const QString icon = startInTray();
    QVERIFY(!icon.isEmpty());
    QTRY_COMPARE(stored(SettingsKeys::NextFile), 1);
    const QString window =
        way == "close" ? restoreFromTray(icon, m_rotafond->processId()) : QString();
    QVERIFY(way != "close" || !window.isEmpty());
    // Next finds the green picture gone: the list loses it, and the walk goes
    // on by "NextFile" (2, out of range in the shorter list) to the first.
    QVERIFY(QFile::remove(entries.takeAt(1).filePath));
    QCOMPARE(callRotafond(Service + ".Next"), QStringLiteral("()"));
    QTRY_COMPARE(stored(SettingsKeys::NextFile), 0);
    if (way == "Quit")
        QCOMPARE(callRotafond(Service + ".Quit"), QStringLiteral("()"));
    else if (way == "--quit")
        QCOMPARE(runCommandLine("--quit"), 0);
    else if (way == "close")
        DesktopDriver::closeWindow(window);
    else
        ::kill(pid_t(m_rotafond->processId()), signalNumber);
    QVERIFY(m_rotafond->waitForFinished(5000));
    QCOMPARE(m_rotafond->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_rotafond->exitCode(), 0);
    QCOMPARE(storedList(), entries);
}

void TestE2ERemote::commandLine_withoutARunningCopy_saysSo() {
    for (const char *option : {"--next", "--clear-wallpaper", "--show", "--quit"}) {
        QByteArray errors;
        QCOMPARE(runCommandLine(option, &errors), 1);
        QCOMPARE(errors, QByteArray("Rotafond is not running.\n"));
    }
    QVERIFY(!QFile::exists(desktop().configFile()));
}

void TestE2ERemote::withoutASessionBus_noBusIsLeftBehind() {
    storeColours({Qt::red});
    // An autolaunched bus writes its address and process id into the home.
    const auto launchedBus = [this]() -> qint64 {
        QDirIterator files(desktop().path(".dbus/session-bus"), QDir::Files);
        while (files.hasNext()) {
            QFile file(files.next());
            if (file.open(QIODevice::ReadOnly)) {
                const QByteArray text = file.readAll();
                const qsizetype at = text.indexOf("DBUS_SESSION_BUS_PID=");
                if (at >= 0)
                    return text.mid(at + 21).split('\n').first().toLongLong();
            }
        }
        return 0;
    };
    for (const QStringList &arguments : {QStringList{}, QStringList{"--next"}}) {
        QProcess *rotafond = start(arguments, {"DBUS_SESSION_BUS_ADDRESS"});
        if (arguments.isEmpty()) {
            QVERIFY(!waitForTray(rotafond).isEmpty());
            QTest::qWait(1000);
            ::kill(pid_t(rotafond->processId()), SIGTERM);
        }
        QVERIFY(rotafond->waitForFinished(10000));
        QCOMPARE(rotafond->exitCode(), arguments.isEmpty() ? 0 : 1);
        QTest::qWait(500); // a launched bus announces itself a moment later
        if (const qint64 bus = launchedBus()) {
            ::kill(pid_t(bus), SIGTERM); // the program's doing, so ours to end
            QFAIL("a bus daemon was launched for the program and outlived it");
        }
    }
}

QTEST_GUILESS_MAIN(TestE2ERemote)
#include "tst_e2e_remote.moc"
