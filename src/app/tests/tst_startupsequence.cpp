#include "apppaths.h"
#include "autostart.h"
#include "firstrunintroduction.h"
#include "scriptedprompter.h"
#include "settingsstore.h"
#include "singleinstance.h"
#include "startuphost.h"
#include "startupsequence.h"
#include "wallpaperliststore.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>

namespace {

// Records each step; loads the list from the real store like the main window does.
class RecordingHost : public StartupHost {
public:
    explicit RecordingHost(SettingsStore &settings)
        : m_settings(settings) {}

    QStringList log;
    bool introRunning = false;

    void showSplash() override { log.append("splash"); }
    int loadMainWindow() override {
        log.append("load main window");
        return int(WallpaperListStore(m_settings).load().size());
    }
    void loadDefaultsDialog() override { log.append("load defaults dialog"); }
    void minimizeToTray() override { log.append("tray"); }
    void setIntroRunning(bool running) override {
        introRunning = running;
        log.append(running ? "intro running" : "intro done");
    }
    void showMainWindow() override { log.append("show main window"); }
    void execDefaultsDialog() override { log.append("defaults dialog (modal)"); }
    void showBrowser() override { log.append("browser"); }

private:
    SettingsStore &m_settings;
};

} // namespace

class TestStartupSequence : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void emptyList_runsTheIntroductionInOrder();
    void introduction_showsItsTextsExactly();
    void offerAnswer_decidesTheAutostartEntry_data();
    void offerAnswer_decidesTheAutostartEntry();
    void autostartFailure_isReported();
    void storedList_goesToTheTray();
    void clearSwitch_makesAFirstRun();
    void secondCopy_saysSoAndTouchesNothing();
    void lockOfACrashedCopy_doesNotBlock();
    void lock_isFoundWithOrWithoutARuntimeFolder();

private:
    struct Run {
        bool started;
        QStringList log;
    };
    Run start(StartAction action, const QString &autostartFolder = {}) {
        SettingsStore settings(m_configPath, {});
        RecordingHost host(settings);
        m_prompter.onShow = [&] {
            host.log.append("box: " + m_prompter.shown.last().title);
            m_runningAtBox.append(host.introRunning);
        };
        const Autostart autostart(autostartFolder.isEmpty() ? m_autostartFolder : autostartFolder);
        FirstRunIntroduction intro(host, m_prompter, autostart,
                                   QStringLiteral("/opt/my apps/rotafond"));
        SingleInstance instance(m_dir->path());
        StartupSequence sequence(instance, settings, host, m_prompter, intro);
        const bool started = sequence.run(action);
        return {started, host.log};
    }
    void storeOneEntry() {
        const QString picture = m_dir->filePath(QStringLiteral("a.jpg"));
        QFile file(picture);
        QVERIFY(file.open(QIODevice::WriteOnly));
        SettingsStore settings(m_configPath, {});
        WallpaperListStore(settings).save({{picture, true, true, false}});
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_configPath;
    QString m_autostartFolder;
    ScriptedPrompter m_prompter;
    QList<bool> m_runningAtBox;
};

void TestStartupSequence::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_configPath = m_dir->filePath(QStringLiteral("config/Rotafond/Rotafond.conf"));
    m_autostartFolder = m_dir->filePath(QStringLiteral("config/autostart"));
    m_prompter = {};
    m_runningAtBox.clear();
}

void TestStartupSequence::emptyList_runsTheIntroductionInOrder() {
    const Run run = start(StartAction::Run);
    QVERIFY(run.started);
    const QStringList expected{"splash",
                               "load main window",
                               "load defaults dialog",
                               "intro running",
                               "show main window",
                               "box: Helping a little...",
                               "box: To start with...",
                               "defaults dialog (modal)",
                               "box: Let's get this thing working...",
                               "browser",
                               "intro done"};
    QCOMPARE(run.log, expected);
    QCOMPARE(m_runningAtBox, (QList<bool>{true, true, true}));
}

void TestStartupSequence::introduction_showsItsTextsExactly() {
    start(StartAction::Run);
    QCOMPARE(m_prompter.shown.size(), 3);
    const auto &offer = m_prompter.shown.at(0);
    QCOMPARE(offer.icon, Prompter::Icon::Question);
    QCOMPARE(offer.buttons, Prompter::Buttons::OkCancel);
    QCOMPARE(offer.text, QStringLiteral("Do you want me to create a shortcut\n"
                                        "in your autostart folder?\n\n"
                                        "This is the best thing to do!  This way the program \n"
                                        "starts every time you log in."));
    const auto &first = m_prompter.shown.at(1);
    QCOMPARE(first.icon, Prompter::Icon::Information);
    QVERIFY(first.text.startsWith("To start with, you can change\nthe interval with which"));
    QVERIFY(first.text.contains("You can change the threshhold (which makes the difference \n"));
    QVERIFY(first.text.endsWith("has to \"Beep\" \nwhen your wallpaper changes."));
    const auto &second = m_prompter.shown.at(2);
    QCOMPARE(second.icon, Prompter::Icon::Information);
    QCOMPARE(second.buttons, Prompter::Buttons::Ok);
    QVERIFY(second.text.startsWith("Next, you have to select some files\nto put in your"));
    QVERIFY(second.text.endsWith("\n\nThat's it...\nEnjoy!!!"));
}

void TestStartupSequence::offerAnswer_decidesTheAutostartEntry_data() {
    QTest::addColumn<Prompter::Answer>("answer");
    QTest::addColumn<bool>("created");
    QTest::newRow("OK") << Prompter::Answer::Ok << true;
    QTest::newRow("Cancel") << Prompter::Answer::Cancel << false;
}

void TestStartupSequence::offerAnswer_decidesTheAutostartEntry() {
    QFETCH(Prompter::Answer, answer);
    m_prompter.answers = {answer};
    const Run run = start(StartAction::Run);
    QTEST(QFile::exists(m_autostartFolder + "/Rotafond.desktop"), "created");
    // Either way the rest of the introduction follows.
    QCOMPARE(m_prompter.titles(), (QStringList{"Helping a little...", "To start with...",
                                               "Let's get this thing working..."}));
    QVERIFY(run.log.contains("browser"));
}

void TestStartupSequence::autostartFailure_isReported() {
    const QString blocker = m_dir->filePath(QStringLiteral("not-a-folder"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    start(StartAction::Run, blocker + "/autostart");
    QCOMPARE(m_prompter.titles(),
             (QStringList{"Helping a little...", "Helping a little...", "To start with...",
                          "Let's get this thing working..."}));
    QCOMPARE(m_prompter.shown.at(1).icon, Prompter::Icon::Warning);
    QVERIFY(m_prompter.shown.at(1).text.contains("could not be created"));
}

void TestStartupSequence::storedList_goesToTheTray() {
    storeOneEntry();
    const Run run = start(StartAction::Run);
    QCOMPARE(run.log, (QStringList{"splash", "load main window", "load defaults dialog", "tray"}));
    QVERIFY(m_prompter.shown.isEmpty());
}

void TestStartupSequence::clearSwitch_makesAFirstRun() {
    storeOneEntry();
    const Run run = start(StartAction::ClearAndRun);
    QVERIFY(run.log.contains("intro running"));
    QVERIFY(!run.log.contains("tray"));
    QCOMPARE(SettingsStore(m_configPath, {}).read(SettingsKeys::NumberOfFiles), 0);
}

void TestStartupSequence::secondCopy_saysSoAndTouchesNothing() {
    storeOneEntry();
    QFile config(m_configPath);
    QVERIFY(config.open(QIODevice::ReadOnly));
    const QByteArray before = config.readAll();
    config.close();

    QProcess holder;
    holder.start(QStringLiteral(INSTANCE_HOLDER), {m_dir->path()});
    QVERIFY(holder.waitForReadyRead(5000));
    const Run run = start(StartAction::ClearAndRun);
    holder.kill();
    holder.waitForFinished();

    QVERIFY(!run.started);
    QVERIFY(run.log.isEmpty() || run.log == QStringList{"box: Twice ???"});
    QCOMPARE(m_prompter.shown.size(), 1);
    QCOMPARE(m_prompter.shown.at(0).title, QStringLiteral("Twice ???"));
    QCOMPARE(m_prompter.shown.at(0).text, QStringLiteral("Rotafond is already running!"));
    QCOMPARE(m_prompter.shown.at(0).icon, Prompter::Icon::Warning);
    QVERIFY(config.open(QIODevice::ReadOnly));
    QCOMPARE(config.readAll(), before);
}

void TestStartupSequence::lockOfACrashedCopy_doesNotBlock() {
    QProcess holder;
    holder.start(QStringLiteral(INSTANCE_HOLDER), {m_dir->path()});
    QVERIFY(holder.waitForReadyRead(5000));
    ::kill(pid_t(holder.processId()), SIGKILL);
    QVERIFY(holder.waitForFinished(5000));
    QVERIFY(!QDir(m_dir->path()).entryList({"Rotafond-*.lock"}).isEmpty());

    const Run run = start(StartAction::Run);
    QVERIFY(run.started);
    QVERIFY(run.log.contains("load main window"));
}

void TestStartupSequence::lock_isFoundWithOrWithoutARuntimeFolder() {
    // A copy started through su, ssh or cron has no XDG_RUNTIME_DIR: it must
    // still find the lock of the copy started at log-in.
    qputenv("XDG_CONFIG_HOME", m_dir->filePath("config").toLocal8Bit());
    QVERIFY(QDir().mkpath(m_dir->filePath("run")));
    qputenv("XDG_RUNTIME_DIR", m_dir->filePath("run").toLocal8Bit());
    SingleInstance loggedIn(AppPaths::standard().lockFolder);
    qunsetenv("XDG_RUNTIME_DIR");
    SingleInstance fromCron(AppPaths::standard().lockFolder);
    qunsetenv("XDG_CONFIG_HOME");
    QVERIFY(loggedIn.tryAcquire());
    QVERIFY(!fromCron.tryAcquire());
}

QTEST_GUILESS_MAIN(TestStartupSequence)
#include "tst_startupsequence.moc"
