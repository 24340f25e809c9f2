#include "testimages.h"
#include "thumbnailrun.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

class TestThumbnailRun : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QStringList m_names; // pictures of falling sizes, so workers finish out of order, and junk
    QThreadPool m_pool;

    std::unique_ptr<ThumbnailRun> makeRun(const QStringList &names) {
        return std::make_unique<ThumbnailRun>(m_root.path() + "/", names, ThumbnailCache({}),
                                              QSize(140, 105), Qt::lightGray, m_pool);
    }

private Q_SLOTS:
    void initTestCase() {
        m_pool.setMaxThreadCount(3);
        for (int i = 0; i < 24; ++i) {
            const QString name = QStringLiteral("p%1.png").arg(i, 2, 10, QLatin1Char('0'));
            writePicture(QDir(m_root.path()), name, QSize(200 + (23 - i) * 60, 150 + i * 7));
            m_names.append(name);
            if (i % 5 == 2) {
                m_names.append(QStringLiteral("j%1.txt").arg(i));
                QFile junk(m_root.filePath(m_names.last()));
                QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("junk") == 4);
            }
        }
    }

    // Stopping when a file's turn is announced ends the run before that file.
    void run_deliversInFolderOrderUntilStopped_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("stopAt");
        QTest::newRow("not stopped") << m_names << -1;
        QTest::newRow("stopped at the first file") << m_names << 0;
        QTest::newRow("stopped in the middle") << m_names << 7;
        QTest::newRow("stopped at the last file") << m_names << int(m_names.size()) - 1;
        QTest::newRow("no files") << QStringList() << -1;
    }
    void run_deliversInFolderOrderUntilStopped() {
        QFETCH(QStringList, names);
        QFETCH(int, stopAt);
        auto run = makeRun(names);
        QStringList started;
        QStringList made;
        connect(run.get(), &ThumbnailRun::fileStarted, this, [&](int index, const QString &name) {
            QCOMPARE(index, started.size());
            started.append(name);
            if (index == stopAt)
                run->stop();
        });
        connect(run.get(), &ThumbnailRun::thumbnailMade, this,
                [&](int index, const QString &name, const QImage &canvas) {
                    QCOMPARE(name, names.at(index));
                    QCOMPARE(started.last(), name); // right after its own announcement
                    QCOMPARE(canvas.size(), QSize(140, 105));
                    made.append(name);
                });
        QSignalSpy finished(run.get(), &ThumbnailRun::finished);
        run->start();
        QVERIFY(finished.wait(20000));
        QCOMPARE(started, stopAt < 0 ? names : names.mid(0, stopAt + 1));
        QCOMPARE(made, (stopAt < 0 ? names : names.mid(0, stopAt)).filter(".png"));
        QCoreApplication::processEvents();
        QCOMPARE(finished.size(), 1);
    }

    void destroying_cancelsAtOnceAndDropsLateResults() {
        auto run = makeRun(m_names);
        int made = 0;
        connect(run.get(), &ThumbnailRun::thumbnailMade, this, [&] { ++made; });
        run->start();
        QTRY_VERIFY(made >= 1);
        run.reset();
        // Work in progress finishes in the background; nothing reaches us.
        const int madeBefore = made;
        QVERIFY(m_pool.waitForDone(10000));
        QCoreApplication::processEvents();
        QCOMPARE(made, madeBefore);
        QVERIFY(made < m_names.size());
    }
};

QTEST_GUILESS_MAIN(TestThumbnailRun)
#include "tst_thumbnailrun.moc"
