#include "desktopdriver.h"

#include "settingsstore.h"
#include "wallpaperliststore.h"

#include <QDirIterator>

#include <csignal>

namespace {

const QString Service = QStringLiteral(ROTAFOND_APP_ID);
const QString ObjectPath = QLatin1Char('/') + QString(Service).replace('.', '/');

// gdbus on the test desktop's session bus; its output, or "error: ..." on failure.
QString gdbus(const QStringList &arguments) {
    QProcess process;
    process.start("gdbus", arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return QStringLiteral("error: ") + QString::fromUtf8(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString callRotafond(const QString &method, const QStringList &arguments = {}) {
    return gdbus(QStringList{"call", "--session", "--dest", Service, "--object-path", ObjectPath,
                             "--method", method} +
                 arguments);
}

QString busProperty(const QString &name) {
    return callRotafond("org.freedesktop.DBus.Properties.Get", {Service, name});
}

} // namespace

class TestE2ERemote : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void busCommands_actOnTheRunningCopy();
    void quit_savesAListChangedAMomentBefore();
    void commandLine_withoutARunningCopy_saysSo();
    void withoutASessionBus_noBusIsLeftBehind();

private:
    QStringList storeColours(const QList<QColor> &colours) {
        QList<WallpaperEntry> entries;
        QStringList paths;
        for (const QColor &colour : colours) {
            QImage image(30, 20, QImage::Format_RGB32);
            image.fill(colour);
            paths.append(m_desktop->path(colour.name() + ".png"));
            image.save(paths.last());
            entries.append({paths.last(), false, false, true});
        }
        SettingsStore settings(m_desktop->configFile(), {});
        WallpaperListStore(settings).save(entries);
        return paths;
    }
    int nextFile() const {
        return SettingsStore(m_desktop->configFile(), {}).read(SettingsKeys::NextFile);
    }
    // Starts the program and waits until it is in the tray and on the bus.
    void startInTray() {
        m_rotafond = m_desktop->program();
        m_rotafond->start();
        QVERIFY(m_rotafond->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!DesktopDriver::trayIcon(m_rotafond->processId()).isEmpty(),
                                 15000);
        QTRY_VERIFY(!busProperty("Interval").startsWith("error"));
    }
    int runCommandLine(const QString &option, QByteArray *errors) {
        std::unique_ptr<QProcess> command = m_desktop->program({option});
        command->setProcessChannelMode(QProcess::SeparateChannels);
        command->start();
        if (!command->waitForFinished(15000))
            return -1;
        *errors = command->readAllStandardError();
        return command->exitCode();
    }

    std::unique_ptr<DesktopDriver> m_desktop;
    std::unique_ptr<QProcess> m_rotafond;
};

void TestE2ERemote::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") ||
        qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        QSKIP("needs an X display and a session bus: run through test.sh");
}

void TestE2ERemote::init() {
    m_desktop = std::make_unique<DesktopDriver>();
}

void TestE2ERemote::cleanup() {
    if (m_rotafond) {
        m_rotafond->kill();
        m_rotafond->waitForFinished();
    }
    m_rotafond.reset();
}

void TestE2ERemote::busCommands_actOnTheRunningCopy() {
    const QStringList pictures = storeColours({Qt::darkRed, Qt::darkGreen, Qt::darkBlue});
    startInTray();
    QTRY_COMPARE(DesktopDriver::rootPixel(500, 500), QColor(Qt::darkRed).rgb());
    QTRY_COMPARE(nextFile(), 1);

    const QString interface =
        gdbus({"introspect", "--session", "--dest", Service, "--object-path", ObjectPath});
    for (const QString &member :
         QStringList{"interface " + Service, "Next();", "Clear();", "Show();", "Quit();",
                     "readonly s CurrentEntry", "readonly i Interval"})
        QVERIFY2(interface.contains(member), qPrintable(member + " missing in\n" + interface));
    QCOMPARE(busProperty("CurrentEntry"), "(<'" + pictures.at(0) + "'>,)");
    QCOMPARE(busProperty("Interval"), QStringLiteral("(<5>,)"));

    // Next is the tray's Change Wallpaper: the entry stored as next, "NextFile" moves on.
    QCOMPARE(callRotafond(Service + ".Next"), QStringLiteral("()"));
    QTRY_COMPARE(DesktopDriver::rootPixel(500, 500), QColor(Qt::darkGreen).rgb());
    QTRY_COMPARE(nextFile(), 2);
    QTRY_COMPARE(busProperty("CurrentEntry"), "(<'" + pictures.at(1) + "'>,)");

    QByteArray errors;
    QCOMPARE(runCommandLine("--clear-wallpaper", &errors), 0);
    QTRY_COMPARE(DesktopDriver::rootPixel(500, 500), qRgb(0, 0, 0));
    QTRY_COMPARE(busProperty("CurrentEntry"), QStringLiteral("(<''>,)"));

    QCOMPARE(runCommandLine("--next", &errors), 0);
    QTRY_COMPARE(DesktopDriver::rootPixel(500, 500), QColor(Qt::darkBlue).rgb());
    QTRY_COMPARE(nextFile(), 0);

    QCOMPARE(runCommandLine("--show", &errors), 0);
    QVERIFY(!DesktopDriver::waitForWindow("^Rotafond$", m_rotafond->processId()).isEmpty());
    QTRY_VERIFY(DesktopDriver::trayIcon(m_rotafond->processId()).isEmpty());

    QCOMPARE(runCommandLine("--quit", &errors), 0);
    QVERIFY(m_rotafond->waitForFinished(5000));
    QCOMPARE(m_rotafond->exitCode(), 0);
}

void TestE2ERemote::quit_savesAListChangedAMomentBefore() {
    const QStringList pictures = storeColours({Qt::red, Qt::green, Qt::blue});
    startInTray();
    QTRY_COMPARE(nextFile(), 1);
    // Next finds the green picture gone: the list loses it, and the walk goes
    // on by "NextFile" (2, out of range in the shorter list) to the first.
    QVERIFY(QFile::remove(pictures.at(1)));
    QCOMPARE(callRotafond(Service + ".Next"), QStringLiteral("()"));
    QTRY_COMPARE(nextFile(), 0);
    QCOMPARE(callRotafond(Service + ".Quit"), QStringLiteral("()"));
    QVERIFY(m_rotafond->waitForFinished(5000));
    QCOMPARE(m_rotafond->exitCode(), 0);
    SettingsStore settings(m_desktop->configFile(), {});
    const QList<WallpaperEntry> kept = WallpaperListStore(settings).load();
    QCOMPARE(kept.size(), 2);
    QCOMPARE(kept.at(1).filePath, pictures.at(2));
}

void TestE2ERemote::commandLine_withoutARunningCopy_saysSo() {
    for (const char *option : {"--next", "--clear-wallpaper", "--show", "--quit"}) {
        QByteArray errors;
        QCOMPARE(runCommandLine(option, &errors), 1);
        QCOMPARE(errors, QByteArray("Rotafond is not running.\n"));
    }
    QVERIFY(!QFile::exists(m_desktop->configFile()));
}

void TestE2ERemote::withoutASessionBus_noBusIsLeftBehind() {
    storeColours({Qt::red});
    // An autolaunched bus writes its address and process id into the home.
    const auto launchedBus = [this]() -> qint64 {
        QDirIterator files(m_desktop->path(".dbus/session-bus"), QDir::Files);
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
        m_rotafond = m_desktop->program(arguments);
        QProcessEnvironment environment = m_rotafond->processEnvironment();
        environment.remove("DBUS_SESSION_BUS_ADDRESS");
        m_rotafond->setProcessEnvironment(environment);
        m_rotafond->start();
        QVERIFY(m_rotafond->waitForStarted());
        if (arguments.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(!DesktopDriver::trayIcon(m_rotafond->processId()).isEmpty(),
                                     15000);
            QTest::qWait(1000);
            ::kill(pid_t(m_rotafond->processId()), SIGTERM);
        }
        QVERIFY(m_rotafond->waitForFinished(10000));
        QCOMPARE(m_rotafond->exitCode(), arguments.isEmpty() ? 0 : 1);
        QTest::qWait(500); // a launched bus announces itself a moment later
        if (const qint64 bus = launchedBus()) {
            ::kill(pid_t(bus), SIGTERM); // the program's doing, so ours to end
            QFAIL("a bus daemon was launched for the program and outlived it");
        }
    }
}

QTEST_GUILESS_MAIN(TestE2ERemote)
#include "tst_e2e_remote.moc"
