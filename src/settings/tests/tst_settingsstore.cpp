#include "settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void freshStore_givesEveryDefault();
    void writtenValues_surviveReopen();
    void fileUsesVerbatimSectionsAndKeys();
    void malformedValues_fallBackOrClamp_data();
    void malformedValues_fallBackOrClamp();
    void booleanWords_data();
    void booleanWords();
    void emptyValue_isNotMissing();
    void clearAll_removesEverything();
    void batch_writesOnceAtCommit();
    void entryKeyLimit_followsHighestStoredPosition();
    void unwritableFile_reportsFailure();

private:
    SettingsStore openStore() const {
        return SettingsStore(m_path, {QSizeF(1365, 768), QStringLiteral("/home/u/Pictures")});
    }
    void writeRaw(const QByteArray &content) const {
        QVERIFY(QDir().mkpath(QFileInfo(m_path).path()));
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestSettingsStore::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("Rotafond/Rotafond.conf"));
}

void TestSettingsStore::freshStore_givesEveryDefault() {
    const SettingsStore store = openStore();
    QCOMPARE(store.read(SettingsKeys::Beep), 1);
    QCOMPARE(store.read(SettingsKeys::ThreshHoldWidth), QStringLiteral("682.5"));
    QCOMPARE(store.read(SettingsKeys::ThreshHoldHeight), QStringLiteral("384"));
    QCOMPARE(store.read(SettingsKeys::TimerHours), 0);
    QCOMPARE(store.read(SettingsKeys::TimerMins), 5);
    QCOMPARE(store.read(SettingsKeys::TiledSmall), true);
    QCOMPARE(store.read(SettingsKeys::ResizeSmall), false);
    QCOMPARE(store.read(SettingsKeys::PropSmall), false);
    QCOMPARE(store.read(SettingsKeys::TiledLarge), false);
    QCOMPARE(store.read(SettingsKeys::ResizeLarge), true);
    QCOMPARE(store.read(SettingsKeys::PropLarge), true);
    QCOMPARE(store.read(SettingsKeys::NumberOfFiles), 0);
    QCOMPARE(store.read(SettingsKeys::NextFile), 0);
    QCOMPARE(store.read(SettingsKeys::LastPath), QStringLiteral("/home/u/Pictures"));
    QCOMPARE(store.readEntry(SettingsKeys::Files, 0), QStringLiteral("none"));
    QCOMPARE(store.readEntry(SettingsKeys::FileStretchSettings, 0), true);
    QCOMPARE(store.readEntry(SettingsKeys::FileProportionalSettings, 0), true);
    QCOMPARE(store.readEntry(SettingsKeys::FileTiledSettings, 0), false);
    QVERIFY(!QFile::exists(m_path));
}

void TestSettingsStore::writtenValues_surviveReopen() {
    {
        SettingsStore store = openStore();
        QVERIFY(store.write(SettingsKeys::TimerMins, 17));
        QVERIFY(store.write(SettingsKeys::PropLarge, false));
        QVERIFY(store.write(SettingsKeys::LastPath, QStringLiteral("/media/a b/=;#\"x\"/ü ")));
        store.writeEntry(SettingsKeys::Files, 3, QStringLiteral("/p/q, r.jpg"));
    }
    const SettingsStore store = openStore();
    QCOMPARE(store.read(SettingsKeys::TimerMins), 17);
    QCOMPARE(store.read(SettingsKeys::PropLarge), false);
    QCOMPARE(store.read(SettingsKeys::LastPath), QStringLiteral("/media/a b/=;#\"x\"/ü "));
    QCOMPARE(store.readEntry(SettingsKeys::Files, 3), QStringLiteral("/p/q, r.jpg"));
}

void TestSettingsStore::fileUsesVerbatimSectionsAndKeys() {
    SettingsStore store = openStore();
    store.write(SettingsKeys::NextFile, 3);
    store.write(SettingsKeys::ResizeSmall, true);
    store.writeEntry(SettingsKeys::FileTiledSettings, 0, false);
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    QVERIFY(content.contains("[Settings]"));
    QVERIFY(content.contains("NextFile=3"));
    QVERIFY(content.contains("ResizeSmall=True"));
    QVERIFY(content.contains("[FileTiledSettings]\n0=False"));
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
}

void TestSettingsStore::malformedValues_fallBackOrClamp() {
    QFETCH(QByteArray, line);
    writeRaw("[Settings]\n" + line + "\n");
    const SettingsStore store = openStore();
    QTEST(store.read(SettingsKeys::NextFile), "nextFile");
    QTEST(store.read(SettingsKeys::TimerMins), "timerMins");
    QTEST(store.read(SettingsKeys::NumberOfFiles), "numberOfFiles");
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
    const SettingsStore store = openStore();
    QCOMPARE(store.read(SettingsKeys::LastPath), QString());
    QCOMPARE(store.read(SettingsKeys::ThreshHoldWidth), QString());
}

void TestSettingsStore::clearAll_removesEverything() {
    {
        SettingsStore store = openStore();
        store.write(SettingsKeys::NumberOfFiles, 4);
        store.writeEntry(SettingsKeys::Files, 0, QStringLiteral("/a.jpg"));
        QVERIFY(store.clearAll());
    }
    const SettingsStore store = openStore();
    QCOMPARE(store.read(SettingsKeys::NumberOfFiles), 0);
    QCOMPARE(store.readEntry(SettingsKeys::Files, 0), QStringLiteral("none"));
    QCOMPARE(store.entryKeyLimit(), 0);
}

void TestSettingsStore::batch_writesOnceAtCommit() {
    SettingsStore store = openStore();
    {
        SettingsStore::Batch batch(store);
        store.write(SettingsKeys::NumberOfFiles, 2);
        store.writeEntry(SettingsKeys::Files, 0, QStringLiteral("/a.jpg"));
        QVERIFY(!QFile::exists(m_path));
        QVERIFY(batch.commit());
    }
    QVERIFY(QFile::exists(m_path));
    QCOMPARE(openStore().read(SettingsKeys::NumberOfFiles), 2);
}

void TestSettingsStore::entryKeyLimit_followsHighestStoredPosition() {
    writeRaw("[Files]\n0=/a\n7=/b\nx=/c\n[FileTiledSettings]\n12=True\n");
    QCOMPARE(openStore().entryKeyLimit(), 13);
}

void TestSettingsStore::unwritableFile_reportsFailure() {
    const QString blocker = m_dir->filePath(QStringLiteral("blocker"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    // A plain file where the folder should be: nothing can be written below it.
    SettingsStore store(blocker + QStringLiteral("/Rotafond.conf"), {});
    QVERIFY(!store.write(SettingsKeys::NextFile, 1));
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
