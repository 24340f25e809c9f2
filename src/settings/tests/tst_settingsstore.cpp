#include "settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <unistd.h>

namespace {

QByteArray contentOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Root passes every permission check. While one of these lives, the whole
// process (worker threads included) acts as an ordinary user who owns the
// folder, so read-only files and folders mean what they mean to a user.
class AsOrdinaryUser {
public:
    explicit AsOrdinaryUser(const QString &folder) {
        if (::geteuid() != 0)
            return;
        m_switched = chownTree(folder) && ::setegid(Nobody) == 0 && ::seteuid(Nobody) == 0;
    }
    ~AsOrdinaryUser() {
        if (m_switched && (::seteuid(0) != 0 || ::setegid(0) != 0))
            qFatal("cannot become root again");
    }
    bool ok() const { return ::geteuid() != 0 || m_switched; }

private:
    static constexpr uid_t Nobody = 65534;
    static bool chownTree(const QString &path) {
        if (::lchown(QFile::encodeName(path).constData(), Nobody, Nobody) != 0)
            return false;
        const QFileInfo info(path);
        if (!info.isDir() || info.isSymLink())
            return true;
        const auto children = QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                   QDir::Hidden | QDir::System);
        for (const QString &child : children)
            if (!chownTree(path + QLatin1Char('/') + child))
                return false;
        return true;
    }
    bool m_switched = false;
};

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void values_crossQSettingsBothWays_data();
    void values_crossQSettingsBothWays();
    void malformedValues_fallBackOrClamp_data();
    void malformedValues_fallBackOrClamp();
    void booleanWords_data();
    void booleanWords();
    void emptyValue_isNotMissing();
    void clearAll_removesEverything();
    void entryKeyLimit_followsHighestStoredPosition();
    void exitPath_putsEveryWriteOnDisk_data();
    void exitPath_putsEveryWriteOnDisk();
    void failingDisk_keepsOldFileAndReportsOnce_data();
    void failingDisk_keepsOldFileAndReportsOnce();
    void fullDisk_keepsOldFileAndRecovers();
    void unreadableFile_isNeverReplaced();

private:
    SettingsStore *openStore() {
        m_store = std::make_unique<SettingsStore>(
            m_path, SettingsEnvironment{QSizeF(1365, 768), QStringLiteral("/home/u/Pictures")});
        return m_store.get();
    }
    void writeRaw(const QByteArray &content) const {
        QVERIFY(QDir().mkpath(QFileInfo(m_path).path()));
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }
    // A store as a user has it: settings and a list of fifty entries, on disk.
    void storeFiftyEntries(SettingsStore &store) {
        SettingsStore::Batch batch(store);
        store.write(SettingsKeys::NumberOfFiles, 50);
        store.write(SettingsKeys::LastPath, QStringLiteral("/home/u/Pictures/Holiday 2023"));
        for (int i = 0; i < 50; ++i) {
            store.writeEntry(SettingsKeys::Files, i,
                             QStringLiteral("/home/u/Pictures/Holiday 2023/IMG_%1.jpg").arg(i));
            store.writeEntry(SettingsKeys::FileTiledSettings, i, i % 2 == 0);
        }
        batch.commit();
        QVERIFY(store.sync());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::unique_ptr<SettingsStore> m_store;
};

void TestSettingsStore::init() {
    m_store.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("Rotafond/Rotafond.conf"));
}

void TestSettingsStore::values_crossQSettingsBothWays_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("spaces") << "/home/u/My Pictures/beach 1.jpg";
    QTest::newRow("commas") << "/p/a, b,c.jpg";
    QTest::newRow("non-ASCII") << "/home/ü/写真/😀 é.png";
    QTest::newRow("quotes") << "/p/\"quoted\" 'single'.jpg";
    QTest::newRow("equals, semicolon, hash") << "/p/a=b;c#d.jpg";
    QTest::newRow("backslashes") << "C:\\old\\path\\";
    QTest::newRow("blanks around") << "  padded\t ";
    QTest::newRow("at signs") << "@Variant(x)";
    QTest::newRow("control characters") << QStringLiteral("tab\there\nline\x01"
                                                          "2\x7f end");
    QTest::newRow("brackets") << "[Settings]";
    QTest::newRow("empty") << "";
}

void TestSettingsStore::values_crossQSettingsBothWays() {
    QFETCH(QString, value);
    {
        QSettings legacy(m_path, QSettings::IniFormat);
        legacy.setValue(QStringLiteral("Settings/Last Path"), value);
        legacy.setValue(QStringLiteral("Settings/NextFile"), 3);
        legacy.setValue(QStringLiteral("Files/0"), value);
    }
    SettingsStore *store = openStore();
    QCOMPARE(store->read(SettingsKeys::LastPath), value);
    QCOMPARE(store->read(SettingsKeys::NextFile), 3);
    QCOMPARE(store->readEntry(SettingsKeys::Files, 0), value);

    store->write(SettingsKeys::LastPath, value + QStringLiteral("/ours"));
    store->writeEntry(SettingsKeys::Files, 1, value);
    QVERIFY(store->sync());
    QVERIFY(contentOf(m_path).contains("[Settings]\n"));
    QVERIFY(contentOf(m_path).contains("\nLast%20Path="));
    const QSettings reader(m_path, QSettings::IniFormat);
    QCOMPARE(reader.status(), QSettings::NoError);
    QCOMPARE(reader.value(QStringLiteral("Settings/Last Path")).toString(),
             value + QStringLiteral("/ours"));
    QCOMPARE(reader.value(QStringLiteral("Settings/NextFile")).toString(), QStringLiteral("3"));
    QCOMPARE(reader.value(QStringLiteral("Files/0")).toString(), value);
    QCOMPARE(reader.value(QStringLiteral("Files/1")).toString(), value);
}

void TestSettingsStore::malformedValues_fallBackOrClamp_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("nextFile");
    QTest::addColumn<int>("timerMins");
    QTest::addColumn<int>("numberOfFiles");

    QTest::newRow("text in numbers")
        << QByteArray("NextFile=abc\nTimerMins=five\nNumberOfFiles=x") << 0 << 5 << 0;
    QTest::newRow("negative counts")
        << QByteArray("NextFile=-4\nTimerMins=-1\nNumberOfFiles=-10") << 0 << 0 << 0;
    QTest::newRow("absurd counts")
        << QByteArray("NextFile=1e300\nTimerMins=100000\nNumberOfFiles=99999999999") << INT_MAX
        << 59 << INT_MAX;
    QTest::newRow("halves to even")
        << QByteArray("NextFile=2.5\nTimerMins=3.5\nNumberOfFiles=0.5") << 2 << 4 << 0;
    QTest::newRow("blanks around")
        << QByteArray("NextFile=\" 7 \"\nTimerMins=\"\"\nNumberOfFiles=") << 7 << 5 << 0;
    QTest::newRow("nan and inf") << QByteArray("NextFile=nan\nTimerMins=inf\nNumberOfFiles=-inf")
                                 << 0 << 59 << 0;
    QTest::newRow("binary junk") << QByteArray("NextFile=\x01\x02\xff\nTimerMins=@Variant(\\0)")
                                 << 0 << 5 << 0;
    QTest::newRow("unterminated quote and section")
        << QByteArray("NextFile=\"4\nTimerMins=9\n[Files\n0=x") << 0 << 5 << 0;
}

void TestSettingsStore::malformedValues_fallBackOrClamp() {
    QFETCH(QByteArray, line);
    writeRaw("[Settings]\n" + line + "\n");
    const SettingsStore *store = openStore();
    QTEST(store->read(SettingsKeys::NextFile), "nextFile");
    QTEST(store->read(SettingsKeys::TimerMins), "timerMins");
    QTEST(store->read(SettingsKeys::NumberOfFiles), "numberOfFiles");
}

void TestSettingsStore::booleanWords_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fallback");
    QTest::addColumn<bool>("expected");
    QTest::newRow("True") << "True" << false << true;
    QTest::newRow("false any case") << "fAlSe" << true << false;
    QTest::newRow("zero") << "0" << true << false;
    QTest::newRow("minus one") << "-1" << false << true;
    QTest::newRow("garbage keeps default") << "yes please" << true << true;
    QTest::newRow("empty keeps default") << "" << false << false;
}

void TestSettingsStore::booleanWords() {
    QFETCH(QString, text);
    QFETCH(bool, fallback);
    QTEST(SettingsStore::toBool(text, fallback), "expected");
}

void TestSettingsStore::emptyValue_isNotMissing() {
    writeRaw("[Settings]\nLast%20Path=\nThreshHoldWidth=\n");
    const SettingsStore *store = openStore();
    QCOMPARE(store->read(SettingsKeys::LastPath), QString());
    QCOMPARE(store->read(SettingsKeys::ThreshHoldWidth), QString());
    QCOMPARE(store->read(SettingsKeys::ThreshHoldHeight), QStringLiteral("384"));
}

void TestSettingsStore::clearAll_removesEverything() {
    SettingsStore *store = openStore();
    store->write(SettingsKeys::NumberOfFiles, 4);
    store->writeEntry(SettingsKeys::Files, 0, QStringLiteral("/a.jpg"));
    QVERIFY(store->clearAll());
    m_store.reset();
    store = openStore();
    QCOMPARE(store->read(SettingsKeys::NumberOfFiles), 0);
    QCOMPARE(store->readEntry(SettingsKeys::Files, 0), QStringLiteral("none"));
    QCOMPARE(store->entryKeyLimit(), 0);
}

void TestSettingsStore::entryKeyLimit_followsHighestStoredPosition() {
    writeRaw("[Files]\n0=/a\n7=/b\nx=/c\n08=/d\n[FileTiledSettings]\n12=True\n");
    QCOMPARE(openStore()->entryKeyLimit(), 13);
    QCOMPARE(m_store->readEntry(SettingsKeys::Files, 7), QStringLiteral("/b"));
    QCOMPARE(m_store->readEntry(SettingsKeys::Files, 8), QStringLiteral("none"));
    // A damaged file's far-off key is still found, without a table that long.
    writeRaw("[Files]\n999999999=/far\n");
    QCOMPARE(openStore()->entryKeyLimit(), 1000000000);
    QCOMPARE(m_store->readEntry(SettingsKeys::Files, 999999999), QStringLiteral("/far"));
}

void TestSettingsStore::exitPath_putsEveryWriteOnDisk_data() {
    QTest::addColumn<bool>("destroy");
    QTest::newRow("sync") << false;
    QTest::newRow("destroyed right after writing") << true;
}

void TestSettingsStore::exitPath_putsEveryWriteOnDisk() {
    QFETCH(bool, destroy);
    SettingsStore *store = openStore();
    storeFiftyEntries(*store);
    // One write still in flight on the worker, the next ones not yet started.
    store->write(SettingsKeys::NextFile, 7);
    QTest::qWait(0);
    store->write(SettingsKeys::Beep, 0);
    store->writeEntry(SettingsKeys::Files, 3, QStringLiteral("/new.jpg"));
    if (destroy)
        m_store.reset();
    else
        QVERIFY(store->sync());
    const SettingsStore reread(m_path, {});
    QCOMPARE(reread.read(SettingsKeys::NextFile), 7);
    QCOMPARE(reread.read(SettingsKeys::Beep), 0);
    QCOMPARE(reread.readEntry(SettingsKeys::Files, 3), QStringLiteral("/new.jpg"));
    QCOMPARE(reread.readEntry(SettingsKeys::FileTiledSettings, 48), true);
}

void TestSettingsStore::failingDisk_keepsOldFileAndReportsOnce_data() {
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only file") << "file"
                                    << "Permission denied";
    QTest::newRow("read-only folder") << "folder"
                                      << "Permission denied";
    QTest::newRow("a file where the folder should be") << "blocker"
                                                       << "Not a directory";
}

void TestSettingsStore::failingDisk_keepsOldFileAndReportsOnce() {
    QFETCH(QString, condition);
    QFETCH(QString, reason);
    const QString folder = QFileInfo(m_path).path();
    QString blocker;
    if (condition == QLatin1String("blocker")) {
        blocker = m_dir->filePath(QStringLiteral("blocker"));
        writeRaw({});
        QVERIFY(QFile::rename(m_path, blocker));
        m_path = blocker + QStringLiteral("/Rotafond.conf");
    }
    SettingsStore *store = openStore();
    if (blocker.isEmpty())
        storeFiftyEntries(*store);
    const QString failing = blocker.isEmpty() ? m_path : blocker;
    const QByteArray before = contentOf(failing);
    QSignalSpy failed(store, &SettingsStore::writeFailed);
    QSignalSpy recovered(store, &SettingsStore::writeRecovered);

    const AsOrdinaryUser user(m_dir->path());
    QVERIFY(user.ok());
    const QString locked = condition == QLatin1String("folder") ? folder : m_path;
    const auto permissions = QFile::permissions(locked);
    if (blocker.isEmpty())
        QVERIFY(
            QFile::setPermissions(locked, permissions & ~(QFile::WriteOwner | QFile::WriteUser |
                                                          QFile::WriteGroup | QFile::WriteOther)));

    store->write(SettingsKeys::NextFile, 9);
    QTRY_COMPARE(failed.size(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), m_path);
    QCOMPARE(failed.at(0).at(1).toString(), reason);
    store->write(SettingsKeys::NextFile, 10);
    QVERIFY(!store->sync());
    QCOMPARE(failed.size(), 1);
    QCOMPARE(contentOf(failing), before);
    QCOMPARE(store->read(SettingsKeys::NextFile), 10);
    QVERIFY(QDir(QFileInfo(failing).path()).entryList({QStringLiteral("*.conf.*")}).isEmpty());

    if (blocker.isEmpty())
        QVERIFY(QFile::setPermissions(locked, permissions));
    else
        QVERIFY(QFile::remove(blocker));
    store->write(SettingsKeys::Beep, 0);
    QTRY_COMPARE(recovered.size(), 1);
    QCOMPARE(SettingsStore(m_path, {}).read(SettingsKeys::NextFile), 10);
}

void TestSettingsStore::fullDisk_keepsOldFileAndRecovers() {
    const QString mountPoint = m_dir->filePath(QStringLiteral("small"));
    QVERIFY(QDir().mkpath(mountPoint));
    if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") != 0) {
        // Not allowed to mount: try again as root of a namespace of our own.
        if (qEnvironmentVariableIsSet("ROTAFOND_IN_NAMESPACE"))
            QSKIP("cannot mount a small file system, even in a user namespace");
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ROTAFOND_IN_NAMESPACE"), QStringLiteral("1"));
        child.setProcessEnvironment(environment);
        child.start(QStringLiteral("unshare"),
                    {QStringLiteral("--user"), QStringLiteral("--map-root-user"),
                     QStringLiteral("--mount"), QCoreApplication::applicationFilePath(),
                     QStringLiteral("fullDisk_keepsOldFileAndRecovers")});
        if (!child.waitForFinished(60000))
            QSKIP("unshare is not available to mount a small file system");
        const QByteArray output = child.readAllStandardOutput();
        if (output.contains("SKIP") || !output.contains("PASS   : TestSettingsStore::fullDisk"))
            QSKIP(qPrintable("cannot mount a small file system here: " +
                             QString::fromLocal8Bit(child.readAllStandardError())));
        QVERIFY2(child.exitCode() == 0, output.constData());
        return;
    }
    const auto unmount = qScopeGuard([&] {
        m_store.reset();
        ::umount2(QFile::encodeName(mountPoint).constData(), MNT_DETACH);
    });
    m_path = mountPoint + QStringLiteral("/Rotafond/Rotafond.conf");
    SettingsStore *store = openStore();
    storeFiftyEntries(*store);
    const QByteArray before = contentOf(m_path);
    QSignalSpy failed(store, &SettingsStore::writeFailed);
    QSignalSpy recovered(store, &SettingsStore::writeRecovered);

    QFile filler(mountPoint + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) {
    }
    filler.close();

    store->write(SettingsKeys::NextFile, 17);
    QTRY_COMPARE(failed.size(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), m_path);
    QCOMPARE(failed.at(0).at(1).toString(), QStringLiteral("No space left on device"));
    QCOMPARE(contentOf(m_path), before);
    QCOMPARE(store->read(SettingsKeys::NextFile), 17);

    QVERIFY(filler.remove());
    store->write(SettingsKeys::Beep, 0);
    QTRY_COMPARE(recovered.size(), 1);
    const SettingsStore reread(m_path, {});
    QCOMPARE(reread.read(SettingsKeys::NextFile), 17);
    QCOMPARE(reread.readEntry(SettingsKeys::Files, 49),
             QStringLiteral("/home/u/Pictures/Holiday 2023/IMG_49.jpg"));
}

void TestSettingsStore::unreadableFile_isNeverReplaced() {
    writeRaw("[Settings]\nNumberOfFiles=50\n");
    QVERIFY(QFile::setPermissions(m_path, QFile::WriteOwner));
    const AsOrdinaryUser user(m_dir->path());
    QVERIFY(user.ok());
    SettingsStore *store = openStore();
    QSignalSpy failed(store, &SettingsStore::writeFailed);
    store->write(SettingsKeys::NextFile, 2);
    QVERIFY(!store->sync());
    QCOMPARE(failed.size(), 1);
    QVERIFY(failed.at(0).at(1).toString().contains(QLatin1String("Permission denied")));
    m_store.reset();
    QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner));
    QCOMPARE(contentOf(m_path), QByteArray("[Settings]\nNumberOfFiles=50\n"));
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
