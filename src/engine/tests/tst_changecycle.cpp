#include "changecycle.h"
#include "cyclehost.h"
#include "settingsstore.h"
#include "testimages.h"
#include "wallpaperfiles.h"
#include "wallpaperlist.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

namespace {

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
    bool fail = false;
    bool freshNames = false;

    QString name() const override { return QStringLiteral("recording"); }
    bool wantsFreshFileName() const override { return freshNames; }
    ApplyResult apply(const QString &path, const QImage &, WallpaperStyle style) override {
        if (fail)
            return ApplyResult::failure(QStringLiteral("desktop gone"));
        // What the desktop reads is the file, not our copy in memory.
        const QImage onDisk(path);
        shown.append({path, onDisk.size(), onDisk.isNull() ? 0 : onDisk.pixel(0, 0), style});
        return {};
    }
};

class Host : public CycleHost {
public:
    explicit Host(WallpaperList &list)
        : m_list(list) {}
    QList<int> removed;
    int beeps = 0;
    int emptyMessages = 0;
    QStringList failures;
    bool beepOn = true;
    std::function<void()> duringEmptyMessage;

    void removeEntry(int position) override {
        removed.append(position);
        m_list.remove(position);
    }
    bool beepEnabled() const override { return beepOn; }
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
    void init();
    void cleanup();
    void interval_changesOnEveryNthTick_data();
    void interval_changesOnEveryNthTick();
    void nextFile_wrapsAfterTheLastEntry();
    void deletedMiddleEntry_isRemovedAndTheNextShownAtOnce();
    void brokenPictures_areRemovedAndTheNextShown_data();
    void brokenPictures_areRemovedAndTheNextShown();
    void outOfRangeCounter_fallsBackToTheFirstEntry();
    void composition_reachesTheDesktop_data();
    void composition_reachesTheDesktop();
    void unwritableFolder_keepsEveryEntryAndReportsOnce();
    void desktopFailure_keepsEveryEntryAndReportsOnce();
    void unreachableEntries_areSkippedNotRemoved();
    void emptyList_showsOneMessagePerDueTick();
    void introduction_stopsTheCycle();
    void tickDuringModalDialog_runsAfterIt();
    void freshNames_alternateForCachingDesktops();

private:
    QString picture(const QString &name, QSize size, QColor colour = Qt::blue) {
        return writePicture(QDir(m_dir->path()), name, size, colour);
    }
    QString colouredEntries(int count) {
        const QList<QColor> colours{Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan};
        QList<WallpaperEntry> entries;
        for (int i = 0; i < count; ++i)
            entries.append({picture(QStringLiteral("p%1.png").arg(i), QSize(8, 6), colours.at(i)),
                            false, false, false});
        m_list->reset(entries);
        return {};
    }
    QList<QRgb> shownColours() const {
        QList<QRgb> colours;
        for (const auto &shown : m_desktop->shown)
            colours.append(shown.firstPixel);
        return colours;
    }
    void makeCycle(const QString &dataFolder = {}) {
        m_files = std::make_unique<WallpaperFiles>(dataFolder.isEmpty() ? m_dir->filePath("data")
                                                                        : dataFolder);
        m_cycle = std::make_unique<ChangeCycle>(*m_list, *m_settings, *m_files, *m_desktop, *m_host,
                                                QSize(64, 48));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<WallpaperList> m_list;
    std::unique_ptr<RecordingDesktop> m_desktop;
    std::unique_ptr<Host> m_host;
    std::unique_ptr<WallpaperFiles> m_files;
    std::unique_ptr<ChangeCycle> m_cycle;
};

void TestChangeCycle::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_settings =
        std::make_unique<SettingsStore>(m_dir->filePath("Rotafond.conf"), SettingsEnvironment{});
    m_list = std::make_unique<WallpaperList>();
    m_desktop = std::make_unique<RecordingDesktop>();
    m_host = std::make_unique<Host>(*m_list);
    makeCycle();
}

void TestChangeCycle::cleanup() {
    m_cycle.reset();
}

void TestChangeCycle::interval_changesOnEveryNthTick_data() {
    QTest::addColumn<int>("interval");
    QTest::addColumn<QList<int>>("changingTicks");
    QTest::newRow("5 minutes") << 5 << QList<int>{5, 10};
    QTest::newRow("1 minute") << 1 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    QTest::newRow("0 counts as every tick")
        << 0 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    QTest::newRow("9 h 59 min") << 599 << QList<int>{};
}

void TestChangeCycle::interval_changesOnEveryNthTick() {
    QFETCH(int, interval);
    colouredEntries(3);
    m_cycle->setChangeInterval(interval);
    QList<int> changingTicks;
    for (int tick = 1; tick <= 12; ++tick) {
        const auto before = m_desktop->shown.size();
        m_cycle->tick();
        if (m_desktop->shown.size() > before)
            changingTicks.append(tick);
    }
    QTEST(changingTicks, "changingTicks");
    QCOMPARE(m_host->beeps, changingTicks.size());
}

void TestChangeCycle::nextFile_wrapsAfterTheLastEntry() {
    colouredEntries(3);
    m_settings->write(SettingsKeys::NextFile, 2);
    m_cycle->setChangeInterval(1);
    m_cycle->tick();
    QCOMPARE(m_settings->read(SettingsKeys::NextFile), 0);
    m_cycle->tick();
    QCOMPARE(m_settings->read(SettingsKeys::NextFile), 1);
    QCOMPARE(shownColours(), (QList<QRgb>{qRgb(0, 0, 255), qRgb(255, 0, 0)}));
}

void TestChangeCycle::deletedMiddleEntry_isRemovedAndTheNextShownAtOnce() {
    colouredEntries(3);
    QFile::remove(m_list->at(1).filePath);
    m_settings->write(SettingsKeys::NextFile, 1);
    m_cycle->setChangeInterval(3);
    m_cycle->tick();
    m_cycle->tick();
    m_cycle->tick();
    QCOMPARE(m_host->removed, QList<int>{1});
    QCOMPARE(m_list->count(), 2);
    // Position 2 no longer exists after the removal: the first entry is shown.
    QCOMPARE(shownColours(), QList<QRgb>{qRgb(255, 0, 0)});
    QCOMPARE(m_settings->read(SettingsKeys::NextFile), 0);
    QCOMPARE(m_cycle->tickCount(), 0);
}

void TestChangeCycle::brokenPictures_areRemovedAndTheNextShown_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not a picture") << QByteArray("just some text, not a picture");
    QTest::newRow("zero bytes") << QByteArray();
    QTest::newRow("truncated PNG") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    // A header that claims 60000 x 60000 pixels: refused by the allocation limit.
    QByteArray huge("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\xea\x60\0\0\xea\x60\x08\x02\0\0\0", 29);
    QTest::newRow("huge") << huge + QByteArray::fromHex("0fb0e215") + QByteArray(64, '\0');
}

void TestChangeCycle::brokenPictures_areRemovedAndTheNextShown() {
    QFETCH(QByteArray, content);
    colouredEntries(2);
    const QString broken = m_dir->filePath("broken.jpg");
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    m_list->append({broken, true, true, false});
    m_settings->write(SettingsKeys::NextFile, 2);
    QCOMPARE(m_cycle->advance(), ChangeCycle::Outcome::EntryFailed);
    QCOMPARE(m_host->removed, QList<int>{2});
    QCOMPARE(shownColours(), QList<QRgb>{qRgb(255, 0, 0)});
}

void TestChangeCycle::outOfRangeCounter_fallsBackToTheFirstEntry() {
    colouredEntries(3);
    int counter = 7;
    QCOMPARE(m_cycle->setNextWallpaper(counter), ChangeCycle::Outcome::Shown);
    QCOMPARE(counter, 0);
    m_settings->write(SettingsKeys::NextFile, 7);
    m_cycle->advance();
    QCOMPARE(m_settings->read(SettingsKeys::NextFile), 0);
    QCOMPARE(shownColours(), (QList<QRgb>{qRgb(255, 0, 0), qRgb(255, 0, 0)}));
}

void TestChangeCycle::composition_reachesTheDesktop_data() {
    QTest::addColumn<bool>("resize");
    QTest::addColumn<bool>("proportional");
    QTest::addColumn<bool>("tiled");
    QTest::addColumn<QSize>("bitmap");
    QTest::addColumn<WallpaperStyle>("style");
    // The screen is 64 x 48; the picture 16 x 4.
    QTest::newRow("single, unscaled")
        << false << true << false << QSize(16, 4) << WallpaperStyle::Center;
    QTest::newRow("tiled, unscaled")
        << false << false << true << QSize(16, 4) << WallpaperStyle::Tile;
    QTest::newRow("single, proportional")
        << true << true << false << QSize(64, 16) << WallpaperStyle::Center;
    QTest::newRow("tiled, proportional")
        << true << true << true << QSize(64, 16) << WallpaperStyle::Tile;
    QTest::newRow("stretched: the desktop stretches")
        << true << false << false << QSize(16, 4) << WallpaperStyle::Stretch;
    QTest::newRow("tiled but stretched")
        << true << false << true << QSize(16, 4) << WallpaperStyle::Stretch;
}

void TestChangeCycle::composition_reachesTheDesktop() {
    QFETCH(bool, resize);
    QFETCH(bool, proportional);
    QFETCH(bool, tiled);
    m_list->reset({{picture("wide.png", QSize(16, 4)), resize, proportional, tiled}});
    int counter = 0;
    QCOMPARE(m_cycle->setNextWallpaper(counter), ChangeCycle::Outcome::Shown);
    QCOMPARE(m_desktop->shown.size(), 1);
    QCOMPARE(m_desktop->shown.at(0).path, m_dir->filePath("data/Rotafond.bmp"));
    QCOMPARE(QImageReader(m_desktop->shown.at(0).path).format(), QByteArray("bmp"));
    QTEST(m_desktop->shown.at(0).size, "bitmap");
    QTEST(m_desktop->shown.at(0).style, "style");
}

void TestChangeCycle::unwritableFolder_keepsEveryEntryAndReportsOnce() {
    colouredEntries(3);
    QFile blocker(m_dir->filePath("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    makeCycle(blocker.fileName() + "/Rotafond");
    m_cycle->setChangeInterval(1);
    for (int tick = 0; tick < 5; ++tick)
        m_cycle->tick();
    QCOMPARE(m_list->count(), 3);
    QVERIFY(m_host->removed.isEmpty());
    QCOMPARE(m_host->failures.size(), 1);
    QCOMPARE(m_host->beeps, 0);
    // "NextFile" still moves on, as with any change.
    QCOMPARE(m_settings->read(SettingsKeys::NextFile), 2);
}

void TestChangeCycle::desktopFailure_keepsEveryEntryAndReportsOnce() {
    colouredEntries(2);
    m_desktop->fail = true;
    m_cycle->setChangeInterval(1);
    m_cycle->tick();
    m_cycle->tick();
    QCOMPARE(m_list->count(), 2);
    QCOMPARE(m_host->failures, QStringList{"desktop gone"});
    m_desktop->fail = false;
    m_cycle->tick();
    m_desktop->fail = true;
    m_cycle->tick();
    QCOMPARE(m_host->failures.size(), 2); // reported again after a success in between
}

void TestChangeCycle::unreachableEntries_areSkippedNotRemoved() {
    colouredEntries(1);
    m_list->append({QStringLiteral("/media/not-mounted/a.jpg"), true, true, false});
    m_list->append({QStringLiteral("/media/not-mounted/b.jpg"), true, true, false});
    m_settings->write(SettingsKeys::NextFile, 1);
    m_cycle->advance();
    QVERIFY(m_host->removed.isEmpty());
    QCOMPARE(shownColours(), QList<QRgb>{qRgb(255, 0, 0)});

    // With nothing reachable at all the tick gives up instead of looping.
    m_list->remove(0);
    m_cycle->advance();
    QCOMPARE(m_list->count(), 2);
    QCOMPARE(m_desktop->shown.size(), 1);
}

void TestChangeCycle::emptyList_showsOneMessagePerDueTick() {
    m_cycle->setChangeInterval(0);
    // Ticks arriving while the message is open must not stack another one.
    m_host->duringEmptyMessage = [this] {
        m_cycle->hold();
        m_cycle->tick();
        m_cycle->tick();
        m_cycle->release();
    };
    m_cycle->tick();
    QCoreApplication::processEvents();
    QCOMPARE(m_host->emptyMessages, 1);
    m_cycle->tick();
    QCoreApplication::processEvents();
    QCOMPARE(m_host->emptyMessages, 2);
    QCOMPARE(m_settings->read(SettingsKeys::NextFile), 0);
}

void TestChangeCycle::introduction_stopsTheCycle() {
    m_cycle->setChangeInterval(0);
    m_cycle->setIntroRunning(true);
    for (int tick = 0; tick < 10; ++tick)
        m_cycle->tick();
    QCOMPARE(m_host->emptyMessages, 0);
    QCOMPARE(m_cycle->tickCount(), 0);
}

void TestChangeCycle::tickDuringModalDialog_runsAfterIt() {
    colouredEntries(2);
    m_cycle->setChangeInterval(1);
    m_cycle->hold();
    m_cycle->tick();
    m_cycle->tick();
    QVERIFY(m_desktop->shown.isEmpty());
    m_cycle->release();
    QTRY_COMPARE(m_desktop->shown.size(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(m_desktop->shown.size(), 1); // remembered once, not once per tick
}

void TestChangeCycle::freshNames_alternateForCachingDesktops() {
    colouredEntries(2);
    m_desktop->freshNames = true;
    m_cycle->advance();
    m_cycle->advance();
    m_cycle->advance();
    QCOMPARE(m_desktop->shown.size(), 3);
    QVERIFY(m_desktop->shown.at(0).path != m_desktop->shown.at(1).path);
    QCOMPARE(m_desktop->shown.at(0).path, m_desktop->shown.at(2).path);
    // Each name shows the picture of its own change.
    QCOMPARE(shownColours(), (QList<QRgb>{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 0, 0)}));
}

QTEST_GUILESS_MAIN(TestChangeCycle)
#include "tst_changecycle.moc"
