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

#include <optional>

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
        if (::geteuid() == 0)
            m_switched = QProcess::execute("chown", {"-R", "65534:65534", folder}) == 0 &&
                         ::setegid(65534) == 0 && ::seteuid(65534) == 0;
    }
    ~AsOrdinaryUser() {
        if (m_switched && (::seteuid(0) != 0 || ::setegid(0) != 0))
            qFatal("cannot become root again");
    }
    bool ok() const { return ::geteuid() != 0 || m_switched; }

private:
    bool m_switched = false;
};

// Runs one row of this test again as root of a user and mount namespace of
// its own, where a small file system may be mounted.
void passInOwnNamespace(const char *row) {
    if (qEnvironmentVariableIsSet("ROTAFOND_IN_NAMESPACE"))
        QSKIP("cannot mount a small file system, even in a user namespace");
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ROTAFOND_IN_NAMESPACE"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.start("unshare", {"--user", "--map-root-user", "--mount",
                            QCoreApplication::applicationFilePath(), QString::fromLatin1(row)});
    const bool finished = child.waitForFinished(60000);
    const QByteArray output = child.readAllStandardOutput();
    QVERIFY2(!output.contains("FAIL!"), output.constData());
    if (!finished || child.exitCode() != 0 || output.contains("SKIP"))
        QSKIP("cannot mount a small file system, even in a user namespace");
}

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_store.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_path = m_dir->filePath(QStringLiteral("Rotafond/Rotafond.conf"));
    }

    void values_crossQSettingsBothWays_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("leading @, commas, quotes, = ; # [ ], backslashes, non-ASCII")
            << "@Variant(x) [Settings] C:\\p\\\"q\" 's' a=b;c#d, e,f ü/写真/😀\\";
        QTest::newRow("control characters, blanks around") << QStringLiteral("  tab\there\nline\x01"
                                                                             "2\x7f end\t ");
        QTest::newRow("empty") << "";
    }
    // Files written by older versions (through QSettings) and by this one read the same.
    void values_crossQSettingsBothWays() {
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
        QVERIFY(contentOf(m_path).contains("[Settings]\nLast%20Path="));
        const QSettings reader(m_path, QSettings::IniFormat);
        QCOMPARE(reader.status(), QSettings::NoError);
        QCOMPARE(reader.value("Settings/Last Path").toString(), value + QStringLiteral("/ours"));
        QCOMPARE(reader.value("Settings/NextFile").toString(), QStringLiteral("3"));
        QCOMPARE(reader.value("Files/0").toString(), value);
        QCOMPARE(reader.value("Files/1").toString(), value);
    }

    void malformedValues_fallBackOrClamp_data() {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("read"); // the value of each key the lines name, in order
        QTest::newRow("text and junk in numbers")
            << QByteArray("NextFile=\x01\x02\xff\nTimerMins=five\nNumberOfFiles=@Variant(\\0)")
            << "0 5 0";
        QTest::newRow("out of range")
            << QByteArray("NextFile=1e300\nTimerMins=-1\nNumberOfFiles=99999999999")
            << "2147483647 0 2147483647";
        QTest::newRow("halves to even")
            << QByteArray("NextFile=2.5\nTimerMins=3.5\nNumberOfFiles=0.5") << "2 4 0";
        QTest::newRow("blanks around")
            << QByteArray("NextFile=\" 7 \"\nTimerMins=\"\"\nNumberOfFiles=") << "7 5 0";
        QTest::newRow("unterminated quote and section")
            << QByteArray("NextFile=\"4\nTimerMins=9\n[Files\n0=x") << "0 5";
        QTest::newRow("booleans as words in any case, numbers or garbage")
            << QByteArray("TiledSmall=fAlSe\nResizeSmall=-1\nPropLarge=yes please\nPropSmall=")
            << "0 1 1 0";
        QTest::newRow("empty text is not missing")
            << QByteArray("ThreshHoldWidth=\nThreshHoldHeight=x") << " x";
    }
    void malformedValues_fallBackOrClamp() {
        QFETCH(QByteArray, lines);
        writeRaw("[Settings]\n" + lines + "\n");
        const SettingsStore *store = openStore();
        const QHash<QByteArray, QString> values{
            {"NextFile", QString::number(store->read(SettingsKeys::NextFile))},
            {"TimerMins", QString::number(store->read(SettingsKeys::TimerMins))},
            {"NumberOfFiles", QString::number(store->read(SettingsKeys::NumberOfFiles))},
            {"TiledSmall", QString::number(store->read(SettingsKeys::TiledSmall))},
            {"ResizeSmall", QString::number(store->read(SettingsKeys::ResizeSmall))},
            {"PropSmall", QString::number(store->read(SettingsKeys::PropSmall))},
            {"PropLarge", QString::number(store->read(SettingsKeys::PropLarge))},
            {"ThreshHoldWidth", store->read(SettingsKeys::ThreshHoldWidth)},
            {"ThreshHoldHeight", store->read(SettingsKeys::ThreshHoldHeight)}};
        QStringList read;
        for (const QByteArray &line : lines.split('\n'))
            if (values.contains(line.left(line.indexOf('='))))
                read.append(values.value(line.left(line.indexOf('='))));
        QTEST(read.join(QLatin1Char(' ')), "read");
    }

    // The highest stored position counts, even in a damaged file far off.
    void entries_keyLimit() {
        writeRaw("[Files]\n0=/a\n7=/b\nx=/c\n08=/d\n[FileTiledSettings]\n12=True\n");
        QCOMPARE(openStore()->entryKeyLimit(), 13);
        QCOMPARE(m_store->readEntry(SettingsKeys::Files, 7), QStringLiteral("/b"));
        QCOMPARE(m_store->readEntry(SettingsKeys::Files, 8), QStringLiteral("none"));
        writeRaw("[Settings]\nNumberOfFiles=4\n[Files]\n999999999=/far\n");
        QCOMPARE(openStore()->entryKeyLimit(), 1000000000);
        QCOMPARE(m_store->readEntry(SettingsKeys::Files, 999999999), QStringLiteral("/far"));
    }

    void exitPath_putsEveryWriteOnDisk_data() {
        QTest::addColumn<bool>("destroy");
        QTest::newRow("sync") << false;
        QTest::newRow("destroyed right after writing") << true;
    }
    void exitPath_putsEveryWriteOnDisk() {
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

    void failingDisk_keepsOldFileAndReportsOnce_data() {
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only file") << "Permission denied";
        QTest::newRow("read-only folder") << "Permission denied";
        QTest::newRow("a file where the folder should be") << "Not a directory";
        QTest::newRow("full disk") << "No space left on device";
    }
    void failingDisk_keepsOldFileAndReportsOnce() {
        QFETCH(QString, reason);
        const QByteArray row = QTest::currentDataTag();
        const QString small = m_dir->filePath(QStringLiteral("small"));
        const bool full = row == "full disk";
        if (full && !(QDir().mkpath(small) && ::mount("tmpfs", QFile::encodeName(small).constData(),
                                                      "tmpfs", 0, "size=64k") == 0))
            return passInOwnNamespace("failingDisk_keepsOldFileAndReportsOnce:full disk");
        const auto unmount = qScopeGuard([&] {
            m_store.reset();
            if (full)
                ::umount2(QFile::encodeName(small).constData(), MNT_DETACH);
        });
        if (full)
            m_path = small + QStringLiteral("/Rotafond/Rotafond.conf");
        SettingsStore *store = openStore();
        storeFiftyEntries(*store);
        QSignalSpy failed(store, &SettingsStore::writeFailed);
        QSignalSpy recovered(store, &SettingsStore::writeRecovered);

        // The disk goes bad: the store's file or folder is locked, put away for a
        // file of that name, or the disk fills.
        std::optional<AsOrdinaryUser> user;
        if (!full)
            QVERIFY(user.emplace(m_dir->path()).ok());
        const QString folder = QFileInfo(m_path).path();
        const QString failing = row == "read-only file" ? m_path : folder;
        const auto permissions = QFile::permissions(failing);
        const QFile::Permissions writable =
            QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther;
        if (row.startsWith("read-only"))
            QVERIFY(QFile::setPermissions(failing, permissions & ~writable));
        if (row.startsWith("a file")) {
            QVERIFY(QDir().rename(folder, folder + QStringLiteral(".away")));
            writeRaw(folder.toUtf8(), folder);
        }
        QFile filler(small + QStringLiteral("/filler"));
        if (full) {
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            while (filler.write(QByteArray(4096, 'x')) == 4096) {
            }
        }
        const QByteArray before = contentOf(m_path) + contentOf(folder);

        store->write(SettingsKeys::NextFile, 9);
        QTRY_COMPARE(failed.size(), 1);
        QCOMPARE(failed.at(0), (QVariantList{m_path, reason}));
        store->write(SettingsKeys::NextFile, 10);
        QVERIFY(!store->sync());
        QCOMPARE(failed.size(), 1);
        QCOMPARE(contentOf(m_path) + contentOf(folder), before);
        QCOMPARE(store->read(SettingsKeys::NextFile), 10);
        QVERIFY(QDir(folder).entryList({QStringLiteral("*.conf.*")}).isEmpty());

        // The disk is good again: the next write puts everything there.
        if (full)
            QVERIFY(filler.remove());
        else if (row.startsWith("a file"))
            QVERIFY(QFile::remove(folder));
        else
            QVERIFY(QFile::setPermissions(failing, permissions));
        store->write(SettingsKeys::Beep, 0);
        QTRY_COMPARE(recovered.size(), 1);
        const SettingsStore reread(m_path, {});
        QCOMPARE(reread.read(SettingsKeys::NextFile), 10);
        QCOMPARE(reread.readEntry(SettingsKeys::Files, 49),
                 QStringLiteral("/home/u/Pictures/Holiday 2023/IMG_49.jpg"));
    }

    void unreadableFile_isNeverReplaced() {
        writeRaw("[Settings]\nNumberOfFiles=50\n");
        QVERIFY(QFile::setPermissions(m_path, QFile::WriteOwner));
        const AsOrdinaryUser user(m_dir->path());
        QVERIFY(user.ok());
        QSignalSpy failed(openStore(), &SettingsStore::writeFailed);
        m_store->write(SettingsKeys::NextFile, 2);
        QVERIFY(!m_store->sync());
        QCOMPARE(failed.size(), 1);
        QVERIFY(failed.at(0).at(1).toString().contains(QLatin1String("Permission denied")));
        m_store.reset();
        QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(contentOf(m_path), QByteArray("[Settings]\nNumberOfFiles=50\n"));
    }

private:
    SettingsStore *openStore() {
        m_store = std::make_unique<SettingsStore>(
            m_path, SettingsEnvironment{QSizeF(1365, 768), QStringLiteral("/home/u/Pictures")});
        return m_store.get();
    }
    void writeRaw(const QByteArray &content, QString path = {}) const {
        path = path.isEmpty() ? m_path : path;
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }
    // A store as a user has it: settings and a list of fifty entries, on disk.
    void storeFiftyEntries(SettingsStore &store) {
        {
            SettingsStore::Batch batch(store);
            store.write(SettingsKeys::NumberOfFiles, 50);
            for (int i = 0; i < 50; ++i) {
                store.writeEntry(SettingsKeys::Files, i,
                                 QStringLiteral("/home/u/Pictures/Holiday 2023/IMG_%1.jpg").arg(i));
                store.writeEntry(SettingsKeys::FileTiledSettings, i, i % 2 == 0);
            }
        }
        QVERIFY(store.sync());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::unique_ptr<SettingsStore> m_store;
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
