#include "desktoptest.h"

#include <csignal>

class TestE2EStartup : public DesktopTest {
    Q_OBJECT

private Q_SLOTS:
    void storedList_startsInTheTrayAndASecondCopyOnlySaysSo() {
        // "NextFile" says the second comes first. It is 6000 x 4000 at 16 bits
        // per channel, more than Qt's default allocation limit: such a picture
        // was once dropped when the main window decoded it first.
        QList<WallpaperEntry> entries = storeColours({Qt::darkRed});
        QImage deep(6000, 4000, QImage::Format_RGBX64);
        deep.fill(Qt::darkGreen);
        entries.append({path("deep.png"), true, true, false});
        QVERIFY(deep.save(entries.last().filePath));
        {
            SettingsStore settings(configFile(), {});
            WallpaperListStore(settings).save(entries);
            settings.write(SettingsKeys::NextFile, 1);
            QVERIFY(settings.sync());
        }
        QProcess *first = start();
        const qint64 pid = first->processId();
        QVERIFY2(!waitForWindow("^Rotafond is loading$", pid).isEmpty(), "no splash at start");
        QTRY_COMPARE_WITH_TIMEOUT(rootPixel(), QColor(Qt::darkGreen).rgb(), 20000);
        QTRY_VERIFY(windows("^Rotafond is loading$", pid).isEmpty());
        QVERIFY(!waitForTray(first).isEmpty());
        QTRY_COMPARE(stored(SettingsKeys::NextFile), 0);
        QTRY_VERIFY(QFile::exists(path("data/Rotafond/Rotafond.bmp")));
        const QByteArray before = contents(configFile());

        // Started through su, ssh or cron (no XDG_RUNTIME_DIR), it still finds the
        // lock, says so and clears nothing.
        QProcess *second = start({"/C"}, {"XDG_RUNTIME_DIR"});
        const QString box = waitForWindow("^Twice \\?\\?\\?$", second->processId());
        QVERIFY2(!box.isEmpty(), "the second copy showed no message");
        keys(box, {"Return"});
        QVERIFY(second->waitForFinished(5000));
        QCOMPARE(second->exitCode(), 1);
        QCOMPARE(first->state(), QProcess::Running);
        QCOMPARE(contents(configFile()), before);

        // A copy that crashed leaves its lock file behind, and it does not count.
        ::kill(pid_t(pid), SIGKILL);
        QVERIFY(first->waitForFinished(5000));
        QVERIFY(!QDir(path("config/Rotafond")).entryList({"Rotafond-*.lock"}).isEmpty());
        QCOMPARE(storedList(), entries);
        QVERIFY(!waitForTray(start()).isEmpty());
    }

    void firstRun_runsTheWholeIntroductionInOrder_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("offerKey");
        QTest::addColumn<bool>("blocked"); // a file where the autostart folder should be
        QTest::newRow("/C over a stored list, offer taken")
            << QStringList{" /c "} << "Return" << false;
        QTest::newRow("--clear, offer cancelled") << QStringList{"--clear"} << "Escape" << false;
        QTest::newRow("empty home, entry cannot be made") << QStringList{} << "Return" << true;
    }

    void firstRun_runsTheWholeIntroductionInOrder() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, offerKey);
        QFETCH(bool, blocked);
        if (!arguments.isEmpty())
            storeColours({Qt::red, Qt::green, Qt::blue});
        QFile blocker(path("config/autostart"));
        QVERIFY(!blocked || blocker.open(QIODevice::WriteOnly));
        const qint64 pid = start(arguments)->processId();
        // Each window comes only after the one before it was answered, and the
        // main window stays throughout; a failed entry is reported on the way.
        QStringList steps{"^Helping a little\\.\\.\\.$", "^To start with\\.\\.\\.$",
                          "^Wallpaper Defaults$", "^Let's get this thing working", "^Thumb View$"};
        if (blocked)
            steps.insert(1, steps.first());
        QString window;
        for (qsizetype step = 0; step < steps.size(); ++step) {
            const QString previous = window;
            QVERIFY2(
                waitFor([&] { return (window = waitForWindow(steps.at(step), pid)) != previous; },
                        10000) &&
                    !window.isEmpty(),
                qPrintable(steps.at(step) + " did not show"));
            QVERIFY(!waitForWindow("^Rotafond$", pid).isEmpty());
            if (step + 1 == steps.size())
                break;
            QVERIFY(steps.at(step + 1) == steps.at(step) ||
                    windows(steps.at(step + 1), pid).isEmpty());
            keys(window, {step == 0 ? offerKey : QStringLiteral("Return")});
        }
        const QByteArray entry = contents(path("config/autostart/Rotafond.desktop"));
        QCOMPARE(entry.contains("Exec=\"" ROTAFOND_BINARY "\""), offerKey == "Return" && !blocked);
        QVERIFY(QFile::exists(configFile()));
        QCOMPARE(stored(SettingsKeys::NumberOfFiles), 0);
        QCOMPARE(stored(SettingsKeys::TimerMins), 5); // the defaults dialog's OK stored its values
    }

    void quitSignals_duringTheIntroductionOrTheLoad_endAndLoseNothing() {
        QProcess *introduced = start();
        QVERIFY(!waitForWindow("^Helping a little", introduced->processId()).isEmpty());
        ::kill(pid_t(introduced->processId()), SIGTERM);
        QVERIFY(introduced->waitForFinished(5000));
        QCOMPARE(introduced->exitStatus(), QProcess::NormalExit);
        // Early or late in the start, before or after the list has loaded.
        const QList<WallpaperEntry> entries = storeColours({Qt::red, Qt::green, Qt::blue});
        const std::pair<int, int> rounds[] = {
            {SIGTERM, 0}, {SIGINT, 150}, {SIGHUP, 400}, {SIGTERM, 800}};
        for (const auto &[quitSignal, delayMs] : rounds) {
            QProcess *rotafond = start();
            QVERIFY(rotafond->waitForStarted());
            QTest::qWait(delayMs);
            ::kill(pid_t(rotafond->processId()), quitSignal);
            QVERIFY(rotafond->waitForFinished(5000));
            QCOMPARE(storedList(), entries);
        }
    }
};

QTEST_GUILESS_MAIN(TestE2EStartup)
#include "tst_e2e_startup.moc"
