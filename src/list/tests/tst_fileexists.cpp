#include "fileexists.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class TestFileExists : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QFile file(path("picture.jpg"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
        file.close();
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder")));
        QVERIFY(QFile::link(path("picture.jpg"), path("good link")));
        QVERIFY(QFile::link(path("nothing"), path("broken link")));
        QVERIFY(QFile::link(QStringLiteral("/no/such/mount/x.jpg"), path("link off drive")));
        QVERIFY(QFile::copy(path("picture.jpg"), path("locked.jpg")));
        QVERIFY(QFile::setPermissions(path("locked.jpg"), QFileDevice::WriteOwner));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("closed")));
        QVERIFY(QFile::setPermissions(path("closed"), QFileDevice::WriteOwner));
    }

    // Only a file known to be gone is dropped from the list; one that is
    // merely unreachable (drive not mounted, folder closed) is kept.
    void existsOrGone_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("gone");
        // root reads everything, so unreadable only means something to other users.
        const bool root = ::geteuid() == 0;
        QTest::newRow("regular file") << path("picture.jpg") << true << false;
        QTest::newRow("one trailing slash ignored") << path("picture.jpg") + "/" << true << false;
        QTest::newRow("link to a file") << path("good link") << true << false;
        QTest::newRow("folder") << path("folder") + "/" << false << false;
        QTest::newRow("missing") << path("missing.jpg") << false << true;
        QTest::newRow("dangling link") << path("broken link") << false << true;
        QTest::newRow("dangling link off a drive") << path("link off drive") << false << false;
        QTest::newRow("drive not mounted") << "/no/such/mount/x.jpg" << false << false;
        QTest::newRow("empty") << QString() << false << true;
        QTest::newRow("store placeholder") << "none" << false << true;
        QTest::newRow("unreadable") << path("locked.jpg") << root << false;
        QTest::newRow("unlistable folder") << path("closed") + "/x.jpg" << false << root;
    }
    void existsOrGone() {
        QFETCH(QString, name);
        QTEST(fileExists(name), "exists");
        QTEST(fileIsDefinitelyGone(name), "gone");
    }

private:
    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestFileExists)
#include "tst_fileexists.moc"
