#include "imageviewer.h"
#include "scriptedprompter.h"
#include "testimages.h"

#include <QFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestImageViewer : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    ScriptedPrompter m_prompter;

    // A viewer showing a picture of the given size, decoded. A JPEG: large
    // PNGs would cost the test seconds to write and read.
    std::unique_ptr<ImageViewer> showPicture(QSize picture, QSize screen) {
        auto viewer = std::make_unique<ImageViewer>(m_prompter, screen);
        QSignalSpy shown(viewer.get(), &ImageViewer::pictureShown);
        QFile file(m_root.filePath(QStringLiteral("p.jpg")));
        if (!file.open(QIODevice::WriteOnly) || file.write(pictureBytes(picture, "JPEG")) <= 0)
            return nullptr;
        file.close();
        viewer->setPicture(file.fileName());
        viewer->show();
        return shown.wait(5000) ? std::move(viewer) : nullptr;
    }

private Q_SLOTS:
    void init() { m_prompter = ScriptedPrompter(); }

    void fittedSize_fitsOneSideOnly_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("as wide as the screen") << QSize(1024, 500) << QSize(1024, 500);
        QTest::newRow("smaller") << QSize(300, 200) << QSize(300, 200);
        QTest::newRow("1.5 times as wide") << QSize(1536, 600) << QSize(1024, 400);
        QTest::newRow("2.5 wide, 4 tall: width decides") << QSize(2560, 3072) << QSize(1024, 1229);
        QTest::newRow("twice as tall") << QSize(500, 1536) << QSize(250, 768);
    }

    void fittedSize_fitsOneSideOnly() {
        QFETCH(QSize, picture);
        QTEST(ImageViewer::fittedSize(picture, QSize(1024, 768)), "shown");
    }

    void picture_fitsTheAreaTheWindowReallyHas_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("shown");
        // 1280 x 800 screen; maximised, the window keeps 762 rows below its title.
        QTest::newRow("fits the screen: shown whole") << QSize(2560, 1600) << QSize(1219, 762);
        QTest::newRow("fits the window") << QSize(640, 400) << QSize(640, 400);
        // Still taller than the screen once its width fits: it scrolls, up and down only.
        QTest::newRow("taller than the screen") << QSize(2560, 4800) << QSize(-1, -1);
    }

    void picture_fitsTheAreaTheWindowReallyHas() {
        QFETCH(QSize, picture);
        QFETCH(QSize, shown);
        const QSize window(1280, 762);
        const auto viewer = showPicture(picture, QSize(1280, 800));
        QVERIFY(viewer);
        viewer->resize(window);
        QCoreApplication::processEvents(); // the scroll area lays out in its own time
        const QRect geometry = viewer->pictureGeometry();
        auto *area = viewer->findChild<QScrollArea *>();
        QVERIFY(!area->horizontalScrollBar()->isVisible());
        QCOMPARE(area->verticalScrollBar()->isVisible(), !shown.isValid());
        if (shown.isValid()) {
            QCOMPARE(geometry.size(), shown);
            QVERIFY(QRect(QPoint(0, 0), window).contains(geometry));
        } else {
            QVERIFY(geometry.width() <= window.width());
        }
        QVERIFY(m_prompter.shown.isEmpty());
    }

    void setPicture_failuresAreReported_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("boxes");
        QTest::newRow("text") << "notes.txt" << QByteArray("hello") << 1;
        QTest::newRow("missing") << "gone.png" << QByteArray() << 1;
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
        else if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        }
        ImageViewer viewer(m_prompter, QSize(1024, 768));
        viewer.setPicture(path);
        viewer.show();
        QFETCH(int, boxes);
        QTRY_COMPARE(int(m_prompter.shown.size()), boxes);
        QVERIFY(!viewer.isPictureShown());
    }

    void click_orEscapeCloses_data() {
        QTest::addColumn<bool>("key");
        QTest::newRow("click") << false;
        QTest::newRow("escape") << true;
    }

    void click_orEscapeCloses() {
        QFETCH(bool, key);
        const auto viewer = showPicture(QSize(200, 100), QSize(1024, 768));
        QVERIFY(viewer);
        if (key)
            QTest::keyClick(viewer.get(), Qt::Key_Escape);
        else
            QTest::mouseClick(viewer->childAt(viewer->pictureGeometry().center()), Qt::LeftButton);
        QVERIFY(!viewer->isVisible());
    }
};

QTEST_MAIN(TestImageViewer)
#include "tst_imageviewer.moc"
