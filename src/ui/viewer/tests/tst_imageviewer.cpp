#include "imageviewer.h"
#include "scriptedprompter.h"
#include "testimages.h"

#include <QBuffer>
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
    const QSize m_screen{1024, 768};

    QString file(const QString &name, const QByteArray &content) {
        QFile out(m_root.filePath(name));
        if (!out.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(name));
        out.write(content);
        return out.fileName();
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
        QFETCH(QSize, shown);
        QCOMPARE(ImageViewer::fittedSize(picture, m_screen), shown);
    }

    void setPicture_showsAGoodPictureFitted() {
        const QString path = writePicture(QDir(m_root.path()), QStringLiteral("wide.png"),
                                          QSize(2048, 600), Qt::darkBlue);
        ImageViewer viewer(m_prompter, m_screen);
        QSignalSpy shown(&viewer, &ImageViewer::pictureShown);
        viewer.setPicture(path);
        viewer.show();
        QVERIFY(shown.wait(5000));
        QCOMPARE(viewer.pictureGeometry().size(), QSize(1024, 300));
        QVERIFY(m_prompter.shown.isEmpty());
        QCOMPARE(viewer.windowTitle(),
                 QStringLiteral("Rotafond Image Viewer             Click to Exit"));
    }

    void picture_fitsTheAreaTheWindowReallyHas_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QSize>("shown");
        // 1280 x 800 screen; maximised, the window keeps 762 rows below its title.
        QTest::newRow("fits the screen: shown whole")
            << QSize(2560, 1600) << QSize(1280, 762) << QSize(1219, 762);
        QTest::newRow("fits the window") << QSize(640, 400) << QSize(1280, 762) << QSize(640, 400);
        // Still taller than the screen once its width fits: it scrolls, up and down only.
        QTest::newRow("taller than the screen")
            << QSize(2560, 4800) << QSize(1280, 762) << QSize(-1, -1);
    }

    void picture_fitsTheAreaTheWindowReallyHas() {
        QFETCH(QSize, picture);
        QFETCH(QSize, window);
        QFETCH(QSize, shown);
        const QString path =
            writePicture(QDir(m_root.path()), QStringLiteral("p.png"), picture, Qt::darkRed);
        ImageViewer viewer(m_prompter, QSize(1280, 800));
        QSignalSpy decoded(&viewer, &ImageViewer::pictureShown);
        viewer.setPicture(path);
        viewer.show();
        QVERIFY(decoded.wait(5000));
        viewer.resize(window);
        QCoreApplication::processEvents(); // the scroll area lays out in its own time
        const QRect geometry = viewer.pictureGeometry();
        auto *area = viewer.findChild<QScrollArea *>();
        QVERIFY(!area->horizontalScrollBar()->isVisible());
        if (shown.isValid()) {
            QCOMPARE(geometry.size(), shown);
            QVERIFY(QRect(QPoint(0, 0), window).contains(geometry));
            QVERIFY(!area->verticalScrollBar()->isVisible());
        } else {
            QVERIFY(geometry.width() <= window.width());
            QVERIFY(area->verticalScrollBar()->isVisible());
        }
    }

    void setPicture_failuresSayErrorLoadingImage_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text") << "notes.txt" << QByteArray("hello");
        QTest::newRow("missing") << "" << QByteArray();
        QTest::newRow("truncated after the header")
            << "cut.png" << pictureBytes(QSize(400, 300), "PNG", Qt::red).left(60);
        QTest::newRow("huge") << "huge.bmp" << bitmapClaiming(60000);
        // Reading a FIFO waited for a writer for good.
        QTest::newRow("FIFO") << "pipe.png" << QByteArray();
    }

    void setPicture_failuresSayErrorLoadingImage() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QString path = m_root.filePath(name.isEmpty() ? QStringLiteral("gone.png") : name);
        if (name == QLatin1String("pipe.png"))
            QVERIFY(::mkfifo(QFile::encodeName(path), 0600) == 0);
        else if (!name.isEmpty())
            path = file(name, content);
        ImageViewer viewer(m_prompter, m_screen);
        viewer.setPicture(path);
        viewer.show();
        QTRY_COMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.shown.first().title, QStringLiteral("Rotafond"));
        QCOMPARE(m_prompter.shown.first().text, QStringLiteral("Error loading image"));
        QCOMPARE(m_prompter.shown.first().buttons, Prompter::Buttons::Ok);
        QVERIFY(!viewer.isPictureShown());
    }

    void setPicture_emptyPathDoesNothing() {
        ImageViewer viewer(m_prompter, m_screen);
        const QSize before = viewer.size();
        viewer.setPicture(QString());
        viewer.show();
        QTest::qWait(50);
        QVERIFY(m_prompter.shown.isEmpty());
        QVERIFY(!viewer.isPictureShown());
        QCOMPARE(viewer.size(), before);
    }

    void click_orEscapeCloses_data() {
        QTest::addColumn<bool>("key");
        QTest::newRow("click") << false;
        QTest::newRow("escape") << true;
    }

    void click_orEscapeCloses() {
        QFETCH(bool, key);
        const QString path =
            writePicture(QDir(m_root.path()), QStringLiteral("p.png"), QSize(200, 100));
        ImageViewer viewer(m_prompter, m_screen);
        QSignalSpy shown(&viewer, &ImageViewer::pictureShown);
        viewer.setPicture(path);
        viewer.show();
        QVERIFY(shown.wait(5000));
        if (key)
            QTest::keyClick(&viewer, Qt::Key_Escape);
        else
            QTest::mouseClick(viewer.childAt(viewer.pictureGeometry().center()), Qt::LeftButton);
        QVERIFY(!viewer.isVisible());
    }
};

QTEST_MAIN(TestImageViewer)
#include "tst_imageviewer.moc"
