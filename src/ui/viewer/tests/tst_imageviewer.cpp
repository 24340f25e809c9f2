#include "imageviewer.h"
#include "scriptedprompter.h"
#include "testimages.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestImageViewer : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    ScriptedPrompter m_prompter;

private Q_SLOTS:
    void init() { m_prompter = ScriptedPrompter(); }

    void picture_fitsTheAreaTheWindowReallyHasAndAClickCloses_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("shown");
        // 1280 x 800 screen; maximised, the window keeps 762 rows below its title.
        QTest::newRow("as wide as the screen") << QSize(1280, 500) << QSize(1280, 500);
        QTest::newRow("twice the screen") << QSize(2560, 1600) << QSize(1219, 762);
        // Still taller than the screen once its width fits: it scrolls, up and down only.
        QTest::newRow("taller than the screen") << QSize(2560, 4800) << QSize(-1, -1);
    }

    void picture_fitsTheAreaTheWindowReallyHasAndAClickCloses() {
        QFETCH(QSize, picture);
        QFETCH(QSize, shown);
        const QSize window(1280, 762);
        // A JPEG: large PNGs would cost the test seconds to write and read.
        QVERIFY(writeBytes(m_root.filePath("p.jpg"), pictureBytes(picture, "JPEG")));
        ImageViewer viewer(m_prompter, QSize(1280, 800));
        QSignalSpy decoded(&viewer, &ImageViewer::pictureShown);
        viewer.setPicture(m_root.filePath("p.jpg"));
        viewer.show();
        QVERIFY(decoded.wait(5000));
        viewer.resize(window);
        QCoreApplication::processEvents(); // the scroll area lays out in its own time
        const QRect geometry = viewer.pictureGeometry();
        auto *area = viewer.findChild<QScrollArea *>();
        QVERIFY(!area->horizontalScrollBar()->isVisible() && geometry.width() <= window.width());
        QCOMPARE(area->verticalScrollBar()->isVisible(), !shown.isValid());
        QVERIFY(!shown.isValid() || QRect(QPoint(0, 0), window).contains(geometry));
        if (shown.isValid())
            QCOMPARE(geometry.size(), shown);
        QTest::mouseClick(viewer.childAt(viewer.rect().center()), Qt::LeftButton);
        QVERIFY(!viewer.isVisible() && m_prompter.shown.isEmpty());
    }

    void setPicture_failuresAreReported_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("boxes");
        QTest::newRow("text") << "notes.txt" << QByteArray("hello") << 1;
        QTest::newRow("truncated after the header")
            << "cut.png" << pictureBytes(QSize(400, 300), "PNG", Qt::red).left(60) << 1;
        QTest::newRow("huge") << "huge.bmp" << bitmapClaiming(60000) << 1;
        // Reading a FIFO waited for a writer for good.
        QTest::newRow("FIFO") << "pipe.png" << QByteArray() << 1;
        QTest::newRow("no path: nothing to say") << "" << QByteArray() << 0;
    }

    void setPicture_failuresAreReported() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        const QString path = name.isEmpty() ? QString() : m_root.filePath(name);
        if (name == QLatin1String("pipe.png"))
            QVERIFY(::mkfifo(QFile::encodeName(path), 0600) == 0);
        else if (!content.isEmpty())
            QVERIFY(writeBytes(path, content));
        ImageViewer viewer(m_prompter, QSize(1024, 768));
        viewer.setPicture(path);
        viewer.show();
        QFETCH(int, boxes);
        QTRY_COMPARE(int(m_prompter.shown.size()), boxes);
        QVERIFY(!viewer.isPictureShown());
    }
};

QTEST_MAIN(TestImageViewer)
#include "tst_imageviewer.moc"
