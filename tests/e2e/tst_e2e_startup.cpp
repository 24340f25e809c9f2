#include "desktoptest.h"

#include <csignal>

// The first run's introduction, and quit signals before the start is done.
class TestE2EStartup : public DesktopTest {
    Q_OBJECT

private Q_SLOTS:
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
        for (const auto &[quitSignal, delayMs] :
             {std::pair{SIGTERM, 0}, {SIGINT, 150}, {SIGHUP, 400}, {SIGTERM, 800}}) {
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
