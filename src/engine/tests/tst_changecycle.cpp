#include "changecycle.h"
#include "cyclehost.h"
#include "settingsstore.h"
#include "testimages.h"
#include "wallpaperfiles.h"
#include "wallpaperlist.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QRgb Red = qRgb(255, 0, 0), Blue = qRgb(0, 0, 255);

// The desktop as far as the cycle can see it: what it was told to show.
class RecordingDesktop : public DesktopBackend {
public:
    struct Shown {
        QString path;
        QSize size;
        QRgb firstPixel;
        WallpaperStyle style;
    };
    QList<Shown> shown;
    std::atomic_bool fail = false;
    // When set, apply() says it has begun and waits for a permit: a slow desktop.
    QSemaphore *gate = nullptr;
    QSemaphore entered;

    QString name() const override { return QStringLiteral("recording"); }
    bool wantsFreshFileName() const override { return false; }
    Result<void> apply(const QString &path, const QImage &, WallpaperStyle style) override {
        if (gate) {
            entered.release();
            gate->acquire();
        }
        if (fail)
            return Failure{QStringLiteral("desktop gone")};
        // What the desktop reads is the file, not our copy in memory.
        const QImage onDisk(path);
        shown.append({path, onDisk.size(), onDisk.isNull() ? 0 : onDisk.pixel(0, 0), style});
        return {};
    }
    Result<void> clear() override { return {}; }
};

class Host : public CycleHost {
public:
    explicit Host(WallpaperList &list)
        : m_list(list) {}
    QList<int> removed;
    int beeps = 0;
    int emptyMessages = 0;
    QStringList failures;
    std::function<void()> duringEmptyMessage;

    void removeEntry(int position) override {
        removed.append(position);
        m_list.remove(position);
    }
    bool beepEnabled() const override { return true; }
    void beep() override { ++beeps; }
    void showEmptyListMessage() override {
        ++emptyMessages;
        if (duringEmptyMessage)
            duringEmptyMessage();
    }
    void reportChangeFailure(const QString &why) override { failures.append(why); }

private:
    WallpaperList &m_list;
};

} // namespace

class TestChangeCycle : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<SettingsStore>(m_dir->filePath("Rotafond.conf"),
                                                     SettingsEnvironment{});
        m_list = std::make_unique<WallpaperList>();
        m_desktop = std::make_unique<RecordingDesktop>();
        m_host = std::make_unique<Host>(*m_list);
        makeCycle(m_dir->filePath("data"));
    }

    void cleanup() { m_cycle.reset(); }

    void brokenEntry_isRemovedAndTheNextShownAtOnce_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("deleted") << QByteArray();
        QTest::newRow("truncated PNG") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
        QTest::newRow("huge") << bitmapClaiming(60000);
    }
    void brokenEntry_isRemovedAndTheNextShownAtOnce() {
        QFETCH(QByteArray, content);
        colouredEntries(3);
        QVERIFY(QFile::remove(m_list->at(1).filePath));
        if (!content.isNull())
            brokenFile("p1.png", content);
        m_settings->write(SettingsKeys::NextFile, 1);
        QVERIFY(advanced());
        QCOMPARE(m_host->removed, QList<int>{1});
        QCOMPARE(m_list->count(), 2);
        // Position 2 no longer exists after the removal: the first entry is shown.
        QCOMPARE(shownColours(), QList<QRgb>{Red});
        QCOMPARE(m_settings->read(SettingsKeys::NextFile), 0);
        // After the last entry the count goes back to the first.
        m_settings->write(SettingsKeys::NextFile, 1);
        QVERIFY(advanced());
        QCOMPARE(shownColours(), (QList<QRgb>{Red, Blue}));
        QCOMPARE(m_settings->read(SettingsKeys::NextFile), 0);
    }

    void thousandsOfBrokenEntries_areRemovedInOneChange() {
        // Each failure once started the next change from inside the last one:
        // thousands of them overflowed the stack.
        QList<WallpaperEntry> entries(5000, {brokenFile("empty.jpg"), true, true, false});
        entries.append({picture("good.png", QSize(8, 6), Qt::red), false, false, false});
        m_list->reset(entries);
        QVERIFY(advanced());
        // Every failure moves "NextFile" on as a tick would, so every other broken
        // entry is passed over until its own turn comes.
        QCOMPARE(m_host->removed.size(), 2500);
        QCOMPARE(shownColours(), QList<QRgb>{Red});
    }

    void composition_reachesTheDesktop_data() {
        QTest::addColumn<WallpaperEntry>("entry");
        QTest::addColumn<QSize>("bitmap");
        QTest::addColumn<WallpaperStyle>("style");
        // The screen is 64 x 48; the picture 16 x 4.
        QTest::newRow("tiled") << WallpaperEntry{{}, false, false, true} << QSize(16, 4)
                               << WallpaperStyle::Tile;
        QTest::newRow("single, proportional")
            << WallpaperEntry{{}, true, true, false} << QSize(64, 16) << WallpaperStyle::Center;
        QTest::newRow("tiled but stretched")
            << WallpaperEntry{{}, true, false, true} << QSize(16, 4) << WallpaperStyle::Stretch;
    }
    void composition_reachesTheDesktop() {
        QFETCH(WallpaperEntry, entry);
        entry.filePath = picture("wide.png", QSize(16, 4));
        m_list->reset({entry});
        int counter = 7; // out of range: the first entry
        m_cycle->setNextWallpaper(counter);
        QCOMPARE(counter, 0);
        QVERIFY(settled());
        QCOMPARE(m_desktop->shown.size(), 1);
        QCOMPARE(m_desktop->shown.at(0).path, m_dir->filePath("data/Rotafond.bmp"));
        QTEST(m_desktop->shown.at(0).size, "bitmap");
        QTEST(m_desktop->shown.at(0).style, "style");
    }

    void outputFailures_keepEveryEntryAndReportOnce() {
        colouredEntries(3);
        m_cycle->setChangeInterval(1);
        m_desktop->fail = true;
        QVERIFY(ticked() && ticked());
        QCOMPARE(m_host->failures, QStringList{"desktop gone"});
        m_desktop->fail = false;
        QVERIFY(ticked());
        m_desktop->fail = true;
        QVERIFY(ticked());
        QCOMPARE(m_host->failures.size(), 2); // reported again after a success in between

        // A folder that cannot be made: the bitmap cannot be written.
        m_desktop->fail = false;
        m_host->failures.clear();
        makeCycle(brokenFile("blocker") + "/Rotafond");
        m_cycle->setChangeInterval(1);
        QVERIFY(ticked() && ticked() && ticked());
        QCOMPARE(m_list->count(), 3);
        QVERIFY(m_host->removed.isEmpty());
        QCOMPARE(m_host->failures.size(), 1);
    }

    void unreachableEntries_areSkippedNotRemoved() {
        // Thousands of entries on an unmounted drive once froze the program with
        // the square of their count; they are passed over in one walk.
        colouredEntries(1);
        QList<WallpaperEntry> entries = m_list->entries();
        for (int i = 0; i < 3000; ++i)
            entries.append({QStringLiteral("/media/not-mounted/%1.jpg").arg(i), true, true, false});
        m_list->reset(entries);
        m_settings->write(SettingsKeys::NextFile, 1);
        QVERIFY(advanced());
        QVERIFY(m_host->removed.isEmpty());
        QCOMPARE(shownColours(), QList<QRgb>{Red});
        // The walk ends where one failing tick after another would have left it.
        QCOMPARE(m_settings->read(SettingsKeys::NextFile), 1);

        // With nothing reachable at all the change gives up instead of looping.
        m_list->remove(0);
        QVERIFY(advanced());
        QCOMPARE(m_list->count(), 3000);
        QCOMPARE(m_desktop->shown.size(), 1);
    }

    void emptyList_showsOneMessagePerDueTick() {
        // The last entry goes: the change ends with the message.
        colouredEntries(1);
        QFile::remove(m_list->at(0).filePath);
        QVERIFY(advanced());
        QCOMPARE(m_list->count(), 0);
        QCOMPARE(m_host->emptyMessages, 1);
        QCOMPARE(m_settings->read(SettingsKeys::NextFile), 0);

        // Ticks arriving while the message is open must not stack another one.
        m_cycle->setChangeInterval(0);
        m_host->duringEmptyMessage = [this] {
            m_cycle->hold();
            ticks(2);
            m_cycle->release();
        };
        for (int expected : {2, 3}) {
            QVERIFY(ticked());
            QCoreApplication::processEvents();
            QCOMPARE(m_host->emptyMessages, expected);
        }
    }

    void ticksWhileHeld_countTowardsTheInterval() {
        colouredEntries(2);
        // The introduction stops the cycle.
        m_cycle->setIntroRunning(true);
        ticks(10);
        QCOMPARE(m_cycle->tickCount(), 0);
        m_cycle->setIntroRunning(false);

        // Four minutes with a dialog open, then the fifth: the change is on time,
        // and the count starts again after it.
        m_cycle->setChangeInterval(5);
        m_cycle->hold();
        ticks(4);
        m_cycle->release();
        QCoreApplication::processEvents();
        QVERIFY(m_desktop->shown.isEmpty());
        QVERIFY(ticked());
        ticks(4);
        QVERIFY(!m_cycle->isChanging());
        QVERIFY(ticked());
        QCOMPARE(m_desktop->shown.size(), 2);

        // Falling due while held: it runs once when the dialog closes.
        m_cycle->setChangeInterval(1);
        m_cycle->hold();
        ticks(2);
        QCOMPARE(m_desktop->shown.size(), 2);
        m_cycle->release();
        QTRY_COMPARE(m_desktop->shown.size(), 3);
        QVERIFY(settled());
        QCOMPARE(m_desktop->shown.size(), 3);
        QCOMPARE(m_host->beeps, 3);
    }

    void newerChange_supersedesOneStillWaiting_andFinishDoesNotWait() {
        colouredEntries(3);
        QSemaphore gate;
        m_desktop->gate = &gate;
        int first = 0, second = 1, third = 2;
        m_cycle->setNextWallpaper(first);
        QVERIFY(m_desktop->entered.tryAcquire(1, 10000));
        m_cycle->setNextWallpaper(second);
        m_cycle->setNextWallpaper(third);
        gate.release(2);
        QVERIFY(settled());
        // The first was already showing; the second was overtaken before it began.
        QCOMPARE(shownColours(), (QList<QRgb>{Red, Blue}));

        // The ways out do not wait for a desktop that is stuck.
        m_cycle->advance();
        QVERIFY(m_desktop->entered.tryAcquire(2, 10000));
        QVERIFY(!m_cycle->finish(300));
        gate.release();
        QVERIFY(m_cycle->finish(5000));
    }

private:
    QString picture(const QString &name, QSize size, QColor colour = Qt::blue) {
        return writePicture(QDir(m_dir->path()), name, size, colour);
    }
    void colouredEntries(int count) {
        const QList<QColor> colours{Qt::red, Qt::green, Qt::blue};
        QList<WallpaperEntry> entries;
        for (int i = 0; i < count; ++i)
            entries.append({picture(QStringLiteral("p%1.png").arg(i), QSize(8, 6), colours.at(i)),
                            false, false, false});
        m_list->reset(entries);
    }
    QString brokenFile(const QString &name, const QByteArray &content = {}) {
        const QString path = m_dir->filePath(name);
        if (!writeBytes(path, content))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    void ticks(int count) {
        for (int tick = 0; tick < count; ++tick)
            m_cycle->tick();
    }
    QList<QRgb> shownColours() const {
        QList<QRgb> colours;
        for (const auto &shown : m_desktop->shown)
            colours.append(shown.firstPixel);
        return colours;
    }
    // Waits until every change asked for so far has ended.
    bool settled() {
        QSignalSpy finished(m_cycle.get(), &ChangeCycle::changeFinished);
        while (m_cycle->isChanging())
            if (!finished.wait(20000))
                return false;
        return true;
    }
    bool advanced() {
        m_cycle->advance();
        return settled();
    }
    bool ticked() {
        m_cycle->tick();
        return settled();
    }
    void makeCycle(const QString &dataFolder) {
        m_files = std::make_unique<WallpaperFiles>(dataFolder);
        m_cycle = std::make_unique<ChangeCycle>(
            *m_list, *m_settings, *m_files, *m_desktop, *m_host,
            QList<Monitor>{{QStringLiteral("M"), QRect(0, 0, 64, 48)}});
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<WallpaperList> m_list;
    std::unique_ptr<RecordingDesktop> m_desktop;
    std::unique_ptr<Host> m_host;
    std::unique_ptr<WallpaperFiles> m_files;
    std::unique_ptr<ChangeCycle> m_cycle;
};

QTEST_GUILESS_MAIN(TestChangeCycle)
#include "tst_changecycle.moc"
