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
        QFile file(path("locked.jpg"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
        QVERIFY(file.setPermissions(QFileDevice::WriteOwner));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder")));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("closed")));
        QVERIFY(QFile::setPermissions(path("closed"), QFileDevice::WriteOwner));
        QVERIFY(QFile::link(QCoreApplication::applicationFilePath(), path("good link")));
        QVERIFY(QFile::link(path("nothing"), path("broken link")));
        QVERIFY(QFile::link(QStringLiteral("/no/such/mount/x.jpg"), path("link off drive")));
    }

    // Only a file known to be gone is dropped from the list; one that is
    // merely unreachable (drive not mounted, folder closed) is kept.
    void existsOrGone_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("gone");
        // root reads everything, so unreadable only means something to other users.
        const bool root = ::geteuid() == 0;
        QTest::newRow("link to a file, one trailing slash")
            << path("good link") + "/" << true << false;
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
