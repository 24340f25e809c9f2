#include "desktopdriver.h"

#include "settingsstore.h"
#include "wallpaperliststore.h"

#include <QFile>
#include <QImage>

#include <csignal>

constexpr int ListAutosaveSettleMs = 800;

class TestE2EStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void secondCopy_saysSoAndLeavesTheFirstRunning();
    void clearSwitch_startsTheIntroduction();
    void firstRun_cancelledOfferStillRunsTheWholeIntroduction();
    void everyWayOut_endsAndKeepsTheList_data();
    void everyWayOut_endsAndKeepsTheList();
    void storedList_changesTheRootWindowAtStart();
    void largeFirstPicture_isShownAndKept();
    void quitDuringTheIntroduction_ends();

private:
    void storeList(int count) {
        QList<WallpaperEntry> entries;
        for (int i = 0; i < count; ++i) {
            const QString picture = m_desktop->path(QStringLiteral("picture %1.png").arg(i));
            QImage image(64, 48, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            QVERIFY(image.save(picture));
            entries.append({picture, true, true, i % 2 == 0});
        }
        SettingsStore settings(m_desktop->configFile(), {});
        QVERIFY(WallpaperListStore(settings).save(entries));
    }

    std::unique_ptr<DesktopDriver> m_desktop;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

void TestE2EStartup::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X display: run through test.sh");
}

void TestE2EStartup::init() {
    m_desktop = std::make_unique<DesktopDriver>();
}

void TestE2EStartup::cleanup() {
    for (auto &process : m_processes) {
        process->kill();
        process->waitForFinished();
    }
    m_processes.clear();
}

void TestE2EStartup::secondCopy_saysSoAndLeavesTheFirstRunning() {
    storeList(2);
    QProcess *first = m_processes.emplace_back(m_desktop->program()).get();
    first->start();
    QVERIFY(first->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(!DesktopDriver::trayIcon(first->processId()).isEmpty(), 10000);
    // Let the first copy finish its start (the first change writes "NextFile").
    QTest::qWait(ListAutosaveSettleMs);
    QFile config(m_desktop->configFile());
    QVERIFY(config.open(QIODevice::ReadOnly));
    const QByteArray before = config.readAll();
    config.close();

    QProcess *second = m_processes.emplace_back(m_desktop->program({"/C"})).get();
    second->start();
    const QString box = DesktopDriver::waitForWindow("^Twice \\?\\?\\?$", second->processId());
    QVERIFY2(!box.isEmpty(), "the second copy showed no message");
    DesktopDriver::pressKey(box, "Return");
    QVERIFY(second->waitForFinished(5000));
    QCOMPARE(second->exitCode(), 1);
    QCOMPARE(first->state(), QProcess::Running);
    QVERIFY(config.open(QIODevice::ReadOnly));
    QCOMPARE(config.readAll(), before);
}

void TestE2EStartup::clearSwitch_startsTheIntroduction() {
    storeList(3);
    QProcess *rotafond = m_processes.emplace_back(m_desktop->program({" /c "})).get();
    rotafond->start();
    const qint64 pid = rotafond->processId();
    const QString offer = DesktopDriver::waitForWindow("^Helping a little\\.\\.\\.$", pid);
    QVERIFY2(!offer.isEmpty(), "no autostart offer after /C");
    QVERIFY(!DesktopDriver::waitForWindow("^Rotafond$", pid).isEmpty());
    DesktopDriver::pressKey(offer, "Return");
    const QString first = DesktopDriver::waitForWindow("^To start with\\.\\.\\.$", pid);
    QVERIFY(!first.isEmpty());
    DesktopDriver::pressKey(first, "Return");
    const QString defaults = DesktopDriver::waitForWindow("^Wallpaper Defaults$", pid);
    QVERIFY2(!defaults.isEmpty(), "no defaults dialog in the introduction");
    DesktopDriver::pressKey(defaults, "Return");
    const QString second = DesktopDriver::waitForWindow("^Let's get this thing working", pid);
    QVERIFY(!second.isEmpty());
    DesktopDriver::pressKey(second, "Return");
    // The thumbnail browser comes last, and the main window stays.
    const QString browser = DesktopDriver::waitForWindow("^Thumb View$", pid);
    QVERIFY2(!browser.isEmpty(), "no thumbnail browser at the end of the introduction");
    QVERIFY(!DesktopDriver::waitForWindow("^Rotafond$", pid).isEmpty());

    QFile entry(m_desktop->path("config/autostart/Rotafond.desktop"));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QVERIFY(entry.readAll().contains("Exec=\"" ROTAFOND_BINARY "\""));
    QCOMPARE(SettingsStore(m_desktop->configFile(), {}).read(SettingsKeys::NumberOfFiles), 0);
    QCOMPARE(rotafond->state(), QProcess::Running);
}

void TestE2EStartup::firstRun_cancelledOfferStillRunsTheWholeIntroduction() {
    QProcess *rotafond = m_processes.emplace_back(m_desktop->program()).get();
    rotafond->start();
    const qint64 pid = rotafond->processId();
    // Each window comes only after the one before it was answered.
    const QString offer = DesktopDriver::waitForWindow("^Helping a little\\.\\.\\.$", pid);
    QVERIFY2(!offer.isEmpty(), "no autostart offer on a first run");
    QVERIFY(!DesktopDriver::waitForWindow("^Rotafond$", pid).isEmpty());
    DesktopDriver::pressKey(offer, "Escape");
    const QString first = DesktopDriver::waitForWindow("^To start with\\.\\.\\.$", pid);
    QVERIFY2(!first.isEmpty(), "Cancel on the offer ended the introduction");
    DesktopDriver::pressKey(first, "Return");
    const QString defaults = DesktopDriver::waitForWindow("^Wallpaper Defaults$", pid);
    QVERIFY(!defaults.isEmpty());
    QVERIFY(DesktopDriver::windows("^Let's get this thing working", pid).isEmpty());
    DesktopDriver::pressKey(defaults, "Return");
    const QString second = DesktopDriver::waitForWindow("^Let's get this thing working", pid);
    QVERIFY(!second.isEmpty());
    QVERIFY(DesktopDriver::windows("^Thumb View$", pid).isEmpty());
    DesktopDriver::pressKey(second, "Return");
    QVERIFY(!DesktopDriver::waitForWindow("^Thumb View$", pid).isEmpty());

    QVERIFY(!QFile::exists(m_desktop->path("config/autostart/Rotafond.desktop")));
    // The defaults dialog's OK stored its values.
    QCOMPARE(SettingsStore(m_desktop->configFile(), {}).read(SettingsKeys::TimerMins), 5);
    QVERIFY(QFile::exists(m_desktop->configFile()));
    QCOMPARE(rotafond->state(), QProcess::Running);
}

void TestE2EStartup::everyWayOut_endsAndKeepsTheList_data() {
    QTest::addColumn<int>("signalNumber"); // 0: the window's close button
    QTest::newRow("close button") << 0;
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestE2EStartup::everyWayOut_endsAndKeepsTheList() {
    QFETCH(int, signalNumber);
    storeList(3);
    QProcess *rotafond = m_processes.emplace_back(m_desktop->program()).get();
    rotafond->start();
    const QStringList before = [&] {
        SettingsStore settings(m_desktop->configFile(), {});
        QStringList paths;
        for (const WallpaperEntry &entry : WallpaperListStore(settings).load())
            paths.append(entry.filePath);
        return paths;
    }();
    QString icon;
    QTRY_VERIFY_WITH_TIMEOUT(!(icon = DesktopDriver::trayIcon(rotafond->processId())).isEmpty(),
                             10000);
    if (signalNumber == 0) {
        const qint64 pid = rotafond->processId();
        QVERIFY(DesktopDriver::retry(
            [&] { DesktopDriver::clickWindow(icon, 1, 2); },
            [&] { return !DesktopDriver::windows("^Rotafond$", pid).isEmpty(); }));
        const QString window = DesktopDriver::waitForWindow("^Rotafond$", rotafond->processId());
        QVERIFY(!window.isEmpty());
        DesktopDriver::closeWindow(window);
    } else {
        ::kill(pid_t(rotafond->processId()), signalNumber);
    }
    QVERIFY(rotafond->waitForFinished(5000));
    QCOMPARE(rotafond->exitStatus(), QProcess::NormalExit);
    QCOMPARE(rotafond->exitCode(), 0);
    SettingsStore settings(m_desktop->configFile(), {});
    QCOMPARE(WallpaperListStore(settings).load().size(), before.size());
}

void TestE2EStartup::largeFirstPicture_isShownAndKept() {
    // 6000 x 4000 at 16 bits per channel needs more than Qt's default
    // allocation limit: it was dropped when the window decoded it first.
    QImage image(6000, 4000, QImage::Format_RGBX64);
    image.fill(Qt::darkMagenta);
    const QString path = m_desktop->path("deep.png");
    QVERIFY(image.save(path));
    {
        SettingsStore settings(m_desktop->configFile(), {});
        QVERIFY(WallpaperListStore(settings).save({{path, true, true, false}}));
    }
    QProcess *rotafond = m_processes.emplace_back(m_desktop->program()).get();
    rotafond->start();
    QTRY_COMPARE_WITH_TIMEOUT(DesktopDriver::rootPixel(500, 384), QColor(Qt::darkMagenta).rgb(),
                              20000);
    QTRY_VERIFY_WITH_TIMEOUT(!DesktopDriver::trayIcon(rotafond->processId()).isEmpty(), 10000);
    rotafond->terminate();
    QVERIFY(rotafond->waitForFinished(5000));
    QCOMPARE(SettingsStore(m_desktop->configFile(), {}).read(SettingsKeys::NumberOfFiles), 1);
}

void TestE2EStartup::storedList_changesTheRootWindowAtStart() {
    // Two tiled entries of different colours; "NextFile" says the second comes first.
    QList<WallpaperEntry> entries;
    for (const QColor &colour : {QColor(Qt::darkRed), QColor(Qt::darkGreen)}) {
        QImage image(30, 20, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = m_desktop->path(colour.name() + ".png");
        QVERIFY(image.save(path));
        entries.append({path, false, false, true});
    }
    {
        SettingsStore settings(m_desktop->configFile(), {});
        QVERIFY(WallpaperListStore(settings).save(entries));
        settings.write(SettingsKeys::NextFile, 1);
    }
    QProcess *rotafond = m_processes.emplace_back(m_desktop->program()).get();
    rotafond->start();
    // The splash shows while the list loads and goes by itself.
    const QString splash =
        DesktopDriver::waitForWindow("^Rotafond is loading$", rotafond->processId());
    QVERIFY2(!splash.isEmpty(), "no splash at start");
    QTRY_COMPARE_WITH_TIMEOUT(DesktopDriver::rootPixel(500, 500), QColor(Qt::darkGreen).rgb(),
                              10000);
    QTRY_VERIFY_WITH_TIMEOUT(
        DesktopDriver::windows("^Rotafond is loading$", rotafond->processId()).isEmpty(), 5000);
    QVERIFY(DesktopDriver::windows("^Rotafond$", rotafond->processId()).isEmpty());
    QCOMPARE(DesktopDriver::rootPixel(3, 700), QColor(Qt::darkGreen).rgb());
    QTRY_COMPARE(SettingsStore(m_desktop->configFile(), {}).read(SettingsKeys::NextFile), 0);
    QVERIFY(QFile::exists(m_desktop->path("data/Rotafond/Rotafond.bmp")));
}

void TestE2EStartup::quitDuringTheIntroduction_ends() {
    QProcess *rotafond = m_processes.emplace_back(m_desktop->program()).get();
    rotafond->start();
    QVERIFY(!DesktopDriver::waitForWindow("^Helping a little\\.\\.\\.$", rotafond->processId())
                 .isEmpty());
    ::kill(pid_t(rotafond->processId()), SIGTERM);
    QVERIFY(rotafond->waitForFinished(5000));
    QCOMPARE(rotafond->exitStatus(), QProcess::NormalExit);
}

QTEST_GUILESS_MAIN(TestE2EStartup)
#include "tst_e2e_startup.moc"
