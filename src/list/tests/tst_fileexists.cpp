#include "fileexists.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class TestFileExists : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void fileExists_data();
    void fileExists();
    void definitelyGone_data();
    void definitelyGone();

private:
    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }
    QTemporaryDir m_dir;
};

void TestFileExists::initTestCase() {
    QVERIFY(m_dir.isValid());
    QFile file(path("picture.jpg"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.close();
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder")));
    QVERIFY(QFile::link(path("picture.jpg"), path("good link")));
    QVERIFY(QFile::link(path("nothing"), path("broken link")));
    QVERIFY(QFile::link(QStringLiteral("/no/such/mount/x.jpg"), path("link off drive")));
    QVERIFY(QFile::copy(path("picture.jpg"), path("locked.jpg")));
    QFile::setPermissions(path("locked.jpg"), QFileDevice::WriteOwner);
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("closed")));
    QFile::setPermissions(path("closed"), QFileDevice::WriteOwner);
}

void TestFileExists::fileExists_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("expected");
    QTest::newRow("regular file") << path("picture.jpg") << true;
    QTest::newRow("one trailing slash ignored") << path("picture.jpg") + "/" << true;
    QTest::newRow("link to a file") << path("good link") << true;
    QTest::newRow("folder") << path("folder") << false;
    QTest::newRow("folder with slash") << path("folder") + "/" << false;
    QTest::newRow("broken link") << path("broken link") << false;
    QTest::newRow("missing") << path("missing.jpg") << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("none") << QStringLiteral("none") << false;
    // root reads everything, so an unreadable file only exists for other users.
    QTest::newRow("unreadable") << path("locked.jpg") << (geteuid() == 0);
}

void TestFileExists::fileExists() {
    QFETCH(QString, name);
    QTEST(::fileExists(name), "expected");
}

void TestFileExists::definitelyGone_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("expected");
    QTest::newRow("present") << path("picture.jpg") << false;
    QTest::newRow("missing in readable folder") << path("missing.jpg") << true;
    QTest::newRow("dangling link, readable folder") << path("broken link") << true;
    QTest::newRow("dangling link onto absent drive") << path("link off drive") << false;
    QTest::newRow("folder not mounted") << QStringLiteral("/no/such/mount/x.jpg") << false;
    QTest::newRow("store placeholder") << QStringLiteral("none") << true;
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("unlistable folder") << path("closed") + "/x.jpg" << (geteuid() == 0);
}

void TestFileExists::definitelyGone() {
    QFETCH(QString, name);
    QTEST(fileIsDefinitelyGone(name), "expected");
}

QTEST_GUILESS_MAIN(TestFileExists)
#include "tst_fileexists.moc"
