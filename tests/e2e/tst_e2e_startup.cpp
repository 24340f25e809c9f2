#include "desktoptest.h"

#include <QRandomGenerator>

#include <csignal>

class TestE2EStartup : public DesktopTest {
    Q_OBJECT

private Q_SLOTS:
    void secondCopy_saysSoAndACrashedCopyDoesNotBlock();
    void firstRun_runsTheWholeIntroductionInOrder_data();
    void firstRun_runsTheWholeIntroductionInOrder();
    void storedList_changesTheRootWindowAtStart();
    void quitDuringTheIntroduction_ends();
    void quitSignalsAtAnyMoment_loseNothing();
};

void TestE2EStartup::secondCopy_saysSoAndACrashedCopyDoesNotBlock() {
    storeColours({Qt::red, Qt::green});
    QProcess *first = start();
    QVERIFY(!waitForTray(first).isEmpty());
    // The first change writes "NextFile"; after it the store stays as it is.
    QTRY_COMPARE(stored(SettingsKeys::NextFile), 1);
    QFile config(desktop().configFile());
    QVERIFY(config.open(QIODevice::ReadOnly));
    const QByteArray before = config.readAll();
    config.close();

    // Started through su, ssh or cron (no XDG_RUNTIME_DIR), it still finds the lock.
    QProcess *second = start({"/C"}, {"XDG_RUNTIME_DIR"});
    const QString box = DesktopDriver::waitForWindow("^Twice \\?\\?\\?$", second->processId());
    QVERIFY2(!box.isEmpty(), "the second copy showed no message");
    DesktopDriver::pressKey(box, "Return");
    QVERIFY(second->waitForFinished(5000));
    QCOMPARE(second->exitCode(), 1);
    QCOMPARE(first->state(), QProcess::Running);
    QVERIFY(config.open(QIODevice::ReadOnly));
    QCOMPARE(config.readAll(), before);

    // A copy that crashed leaves its lock file behind, and it does not count.
    ::kill(pid_t(first->processId()), SIGKILL);
    QVERIFY(first->waitForFinished(5000));
    QVERIFY(!QDir(desktop().path("config/Rotafond")).entryList({"Rotafond-*.lock"}).isEmpty());
    QVERIFY(!waitForTray(start()).isEmpty());
}

void TestE2EStartup::firstRun_runsTheWholeIntroductionInOrder_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("offerKey");
    QTest::addColumn<bool>("blocked"); // a file where the autostart folder should be
    QTest::newRow("/C over a stored list, offer taken") << QStringList{" /c "} << "Return" << false;
    QTest::newRow("empty home, offer cancelled") << QStringList{} << "Escape" << false;
    QTest::newRow("offer taken, entry cannot be made") << QStringList{} << "Return" << true;
}

void TestE2EStartup::firstRun_runsTheWholeIntroductionInOrder() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, offerKey);
    QFETCH(bool, blocked);
    if (!arguments.isEmpty())
        storeColours({Qt::red, Qt::green, Qt::blue});
    QFile entry(desktop().path("config/autostart/Rotafond.desktop"));
    QFile blocker(desktop().path("config/autostart"));
    QVERIFY(!blocked || blocker.open(QIODevice::WriteOnly));
    QProcess *rotafond = start(arguments);
    const qint64 pid = rotafond->processId();
    // Each window comes only after the one before it was answered, and the
    // main window stays throughout; a failed entry is reported on the way.
    QStringList steps{"^Helping a little\\.\\.\\.$", "^To start with\\.\\.\\.$",
                      "^Wallpaper Defaults$", "^Let's get this thing working", "^Thumb View$"};
    if (blocked)
        steps.insert(1, steps.first());
    QString previous;
    for (qsizetype step = 0; step < steps.size(); ++step) {
        QString window;
        QTRY_VERIFY2_WITH_TIMEOUT((window = DesktopDriver::waitForWindow(steps.at(step), pid)) !=
                                      previous,
                                  qPrintable(steps.at(step) + " did not show"), 10000);
        QVERIFY(!window.isEmpty());
        QVERIFY(!DesktopDriver::waitForWindow("^Rotafond$", pid).isEmpty());
        if (step + 1 == steps.size())
            break;
        if (steps.at(step + 1) != steps.at(step))
            QVERIFY(DesktopDriver::windows(steps.at(step + 1), pid).isEmpty());
        DesktopDriver::pressKey(window, step == 0 ? offerKey : QStringLiteral("Return"));
        previous = window;
    }
    QCOMPARE(entry.exists(), offerKey == "Return" && !blocked);
    QVERIFY(!entry.exists() || (entry.open(QIODevice::ReadOnly) &&
                                entry.readAll().contains("Exec=\"" ROTAFOND_BINARY "\"")));
    QCOMPARE(stored(SettingsKeys::NumberOfFiles), 0);
    QCOMPARE(stored(SettingsKeys::TimerMins), 5); // the defaults dialog's OK stored its values
    QVERIFY(QFile::exists(desktop().configFile()));
    QCOMPARE(rotafond->state(), QProcess::Running);
}

void TestE2EStartup::storedList_changesTheRootWindowAtStart() {
    // "NextFile" says the second comes first. It is 6000 x 4000 at 16 bits
    // per channel, more than Qt's default allocation limit: such a picture
    // was once dropped when the main window decoded it first.
    QList<WallpaperEntry> entries = storeColours({Qt::darkRed});
    QImage deep(6000, 4000, QImage::Format_RGBX64);
    deep.fill(Qt::darkGreen);
    entries.append({desktop().path("deep.png"), true, true, false});
    QVERIFY(deep.save(entries.last().filePath));
    {
        SettingsStore settings(desktop().configFile(), {});
        QVERIFY(WallpaperListStore(settings).save(entries));
        settings.write(SettingsKeys::NextFile, 1);
    }
    QProcess *rotafond = start();
    // The splash shows while the list loads and goes by itself.
    QVERIFY2(
        !DesktopDriver::waitForWindow("^Rotafond is loading$", rotafond->processId()).isEmpty(),
        "no splash at start");
    QTRY_COMPARE_WITH_TIMEOUT(DesktopDriver::rootPixel(500, 500), QColor(Qt::darkGreen).rgb(),
                              20000);
    QTRY_VERIFY_WITH_TIMEOUT(
        DesktopDriver::windows("^Rotafond is loading$", rotafond->processId()).isEmpty(), 5000);
    QVERIFY(!waitForTray(rotafond).isEmpty());
    QVERIFY(DesktopDriver::windows("^Rotafond$", rotafond->processId()).isEmpty());
    QTRY_COMPARE(stored(SettingsKeys::NextFile), 0);
    QTRY_VERIFY(QFile::exists(desktop().path("data/Rotafond/Rotafond.bmp")));
    rotafond->terminate();
    QVERIFY(rotafond->waitForFinished(5000));
    QCOMPARE(storedList(), entries);
}

void TestE2EStartup::quitDuringTheIntroduction_ends() {
    QProcess *rotafond = start();
    QVERIFY(!DesktopDriver::waitForWindow("^Helping a little\\.\\.\\.$", rotafond->processId())
                 .isEmpty());
    ::kill(pid_t(rotafond->processId()), SIGTERM);
    QVERIFY(rotafond->waitForFinished(5000));
    QCOMPARE(rotafond->exitStatus(), QProcess::NormalExit);
}

void TestE2EStartup::quitSignalsAtAnyMoment_loseNothing() {
    const QList<WallpaperEntry> entries = storeColours({Qt::red, Qt::green, Qt::blue});
    const int quitSignals[] = {SIGTERM, SIGINT, SIGHUP};
    for (int round = 0; round < 30; ++round) {
        QProcess *rotafond = start();
        QVERIFY(rotafond->waitForStarted());
        QTest::qWait(QRandomGenerator::global()->bounded(0, 700));
        ::kill(pid_t(rotafond->processId()), quitSignals[round % 3]);
        QVERIFY(rotafond->waitForFinished(5000));
        QCOMPARE(storedList(), entries);
    }
}

QTEST_GUILESS_MAIN(TestE2EStartup)
#include "tst_e2e_startup.moc"
