#include "testimages.h"
#include "thumbnailrun.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

class TestThumbnailRun : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_folder;
    QStringList m_names;
    QThreadPool m_pool;

    std::unique_ptr<ThumbnailRun> makeRun() {
        return std::make_unique<ThumbnailRun>(m_folder, m_names, ThumbnailCache({}),
                                              QSize(140, 105), Qt::lightGray, m_pool);
    }

private Q_SLOTS:
    void initTestCase() {
        m_pool.setMaxThreadCount(3);
        m_folder = m_root.path() + QLatin1Char('/');
        const QDir folder(m_root.path());
        for (int i = 0; i < 24; ++i) {
            const QString name = QStringLiteral("p%1.png").arg(i, 2, 10, QLatin1Char('0'));
            // Sizes differ so that workers finish out of order.
            writePicture(folder, name, QSize(200 + (23 - i) * 60, 150 + i * 7));
            m_names.append(name);
            if (i % 5 == 2) {
                QFile junk(folder.filePath(QStringLiteral("j%1.txt").arg(i)));
                QVERIFY(junk.open(QIODevice::WriteOnly));
                junk.write("junk");
                m_names.append(junk.fileName().section(QLatin1Char('/'), -1));
            }
        }
    }

    void run_deliversInFolderOrderAndSkipsFailures() {
        auto run = makeRun();
        QStringList started;
        QStringList made;
        connect(run.get(), &ThumbnailRun::fileStarted, this, [&](int index, const QString &name) {
            QCOMPARE(index, started.size());
            started.append(name);
        });
        connect(run.get(), &ThumbnailRun::thumbnailMade, this,
                [&](int index, const QString &name, const QImage &canvas) {
                    QCOMPARE(m_names.at(index), name);
                    // A file's thumbnail follows its own announcement.
                    QCOMPARE(started.last(), name);
                    QCOMPARE(canvas.size(), QSize(140, 105));
                    made.append(name);
                });
        QSignalSpy finished(run.get(), &ThumbnailRun::finished);
        run->start();
        QVERIFY(finished.wait(20000));
        QCOMPARE(started, m_names);
        QStringList pictures = m_names.filter(QStringLiteral(".png"));
        QCOMPARE(made, pictures);
        QTest::qWait(50);
        QCOMPARE(finished.size(), 1);
    }

    void stop_endsBeforeTheAnnouncedFile_data() {
        QTest::addColumn<int>("stopAt");
        QTest::newRow("first file") << 0;
        QTest::newRow("middle") << 7;
        QTest::newRow("last file") << int(m_names.size()) - 1;
    }

    void stop_endsBeforeTheAnnouncedFile() {
        QFETCH(int, stopAt);
        auto run = makeRun();
        int made = 0;
        int lastMade = -1;
        connect(run.get(), &ThumbnailRun::fileStarted, this, [&](int index) {
            if (index == stopAt)
                run->stop();
        });
        connect(run.get(), &ThumbnailRun::thumbnailMade, this, [&](int index) {
            ++made;
            lastMade = index;
        });
        QSignalSpy finished(run.get(), &ThumbnailRun::finished);
        run->start();
        QVERIFY(finished.wait(20000));
        QVERIFY(lastMade < stopAt);
        QCOMPARE(made, int(m_names.mid(0, stopAt).filter(QStringLiteral(".png")).size()));
    }

    void destroying_cancelsAtOnceAndDropsLateResults() {
        auto run = makeRun();
        QSignalSpy finished(run.get(), &ThumbnailRun::finished);
        int made = 0;
        connect(run.get(), &ThumbnailRun::thumbnailMade, this, [&] { ++made; });
        run->start();
        QTRY_VERIFY(made >= 1);
        run.reset();
        // Work in progress finishes in the background; nothing reaches us.
        QVERIFY(m_pool.waitForDone(10000));
        QCoreApplication::processEvents();
        QVERIFY(made < m_names.size());
        QCOMPARE(m_pool.activeThreadCount(), 0);
    }

    void emptyFolder_finishesWithoutAnnouncing() {
        ThumbnailRun run(m_folder, {}, ThumbnailCache({}), QSize(140, 105), Qt::lightGray, m_pool);
        QSignalSpy started(&run, &ThumbnailRun::fileStarted);
        QSignalSpy finished(&run, &ThumbnailRun::finished);
        run.start();
        QVERIFY(finished.wait(2000));
        QCOMPARE(started.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestThumbnailRun)
#include "tst_thumbnailrun.moc"
