#include "testimages.h"
#include "thumbnailrun.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

class TestThumbnailRun : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QStringList m_names; // pictures of falling sizes, so workers finish out of order, and junk
    QThreadPool m_pool;

private Q_SLOTS:
    void initTestCase() {
        m_pool.setMaxThreadCount(3);
        for (int i = 0; i < 24; ++i) {
            m_names.append(QStringLiteral("p%1.png").arg(i, 2, 10, QLatin1Char('0')));
            writePicture(QDir(m_root.path()), m_names.last(), QSize(200 + (23 - i) * 60, 150 + i));
            if (i % 5 == 2) {
                m_names.append(QStringLiteral("j%1.txt").arg(i));
                QVERIFY(writeBytes(m_root.filePath(m_names.last()), "junk"));
            }
        }
    }

    // Stopping when the last file's turn is announced ends the run before it;
    // every file before comes in folder order, however the workers finish.
    void run_deliversInFolderOrderUntilStopped() {
        const int stopAt = int(m_names.size()) - 1;
        ThumbnailRun run(m_root.path() + "/", m_names, ThumbnailCache({}), QSize(140, 105),
                         Qt::lightGray, m_pool);
        QStringList started;
        QStringList made;
        connect(&run, &ThumbnailRun::fileStarted, this, [&](int index, const QString &name) {
            QCOMPARE(index, started.size());
            started.append(name);
            if (index == stopAt)
                run.stop();
        });
        connect(&run, &ThumbnailRun::thumbnailMade, this,
                [&](int index, const QString &name, const QImage &canvas) {
                    QCOMPARE(name, m_names.at(index));
                    QCOMPARE(started.last(), name); // right after its own announcement
                    QCOMPARE(canvas.size(), QSize(140, 105));
                    made.append(name);
                });
        QSignalSpy finished(&run, &ThumbnailRun::finished);
        run.start();
        QVERIFY(finished.wait(20000));
        QCOMPARE(started, m_names.mid(0, stopAt + 1));
        QCOMPARE(made, m_names.mid(0, stopAt).filter(".png"));
        QCoreApplication::processEvents();
        QCOMPARE(finished.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestThumbnailRun)
#include "tst_thumbnailrun.moc"
