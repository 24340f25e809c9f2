#include "browsergeometry.h"
#include "browserwindow.h"
#include "progressbar.h"
#include "scriptedprompter.h"
#include "settingsstore.h"
#include "testimages.h"
#include "thumbnailrun.h"
#include "thumbnailstrip.h"
#include "wallpaperlist.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestBrowserWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<SettingsStore> m_settings;
    ScriptedPrompter m_prompter;
    WallpaperList m_list;
    std::unique_ptr<BrowserWindow> m_browser;

    QString folder(const QString &relative) {
        QDir().mkpath(m_root->filePath(relative));
        return m_root->filePath(relative);
    }
    QString picturesFolder(int count, const QString &name = QStringLiteral("many")) {
        for (int i = 0; i < count; ++i)
            writePicture(QDir(folder(name)), QStringLiteral("p%1.png").arg(i, 3, 10, QChar('0')),
                         QSize(500 + i, 400));
        return folder(name);
    }
    void makeBrowser(const QString &mounts = {}) {
        QFile table(m_root->filePath(QStringLiteral("mounts")));
        QVERIFY(table.open(QIODevice::WriteOnly) &&
                table.write("/dev/sda1 / ext4 rw 0 0\n" + mounts.toUtf8()) > 0);
        NewEntryDefaults defaults;
        defaults.thresholdWidth = QStringLiteral("400");
        defaults.thresholdHeight = QStringLiteral("300");
        m_browser = std::make_unique<BrowserWindow>(
            *m_settings, m_prompter, Drives(table.fileName(), m_root->filePath("sys")),
            ThumbnailCache(m_root->filePath(QStringLiteral("cache"))),
            [this, defaults](const MeasuredPicture &picture) {
                return addMeasuredToList(m_list, picture, defaults, QSize(512, 384));
            });
    }
    // Opens the browser on path, or goes there, and waits for the thumbnails.
    void openOn(const QString &path, bool navigate = false) {
        QSignalSpy finished(m_browser.get(), &BrowserWindow::runFinished);
        m_settings->write(SettingsKeys::LastPath, path);
        navigate ? m_browser->openFolder(path) : m_browser->open();
        QVERIFY(finished.wait(20000));
    }
    void addAll() {
        QSignalSpy added(m_browser.get(), &BrowserWindow::addAllFinished);
        m_browser->addAllImages();
        QVERIFY(added.wait(5000));
    }
    QStringList tags() const {
        QStringList result;
        for (int i = 0; i < m_browser->strip()->count(); ++i)
            result.append(m_browser->strip()->tag(i));
        return result;
    }
    QStringList listedPaths() const {
        QStringList result;
        for (const WallpaperEntry &entry : m_list.entries())
            result.append(entry.filePath);
        return result;
    }

private Q_SLOTS:
    void init() {
        m_root = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<SettingsStore>(
            m_root->filePath(QStringLiteral("Rotafond.conf")),
            SettingsEnvironment{QSizeF(1024, 768), folder(QStringLiteral("Pictures"))});
        m_prompter = ScriptedPrompter();
        m_list.reset({});
        makeBrowser();
    }
    void cleanup() {
        m_browser.reset();
        // Thumbnails still being made would write into the folder being removed.
        ThumbnailRun::defaultPool().waitForDone();
    }

    // Pictures only, in the order people read names; a remembered folder that
    // is gone is no reason for a message.
    void open_listsThePicturesOfTheRememberedFolder_data() {
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QStringList>("cells");
        const QStringList mixed{"A.png", "b.png", "photo.current.png"};
        QTest::newRow("remembered") << "mixed"
                                    << "mixed" << mixed;
        QTest::newRow("none") << ""
                              << "Pictures" << QStringList{"p000.png"};
        QTest::newRow("gone") << "gone/away"
                              << "Pictures" << QStringList{"p000.png"};
    }
    void open_listsThePicturesOfTheRememberedFolder() {
        QFETCH(QString, remembered);
        QFETCH(QString, opened);
        const QDir mixed(folder(QStringLiteral("mixed")));
        for (const char *name : {"b.png", "A.png", "photo.current.png", "c.ico"})
            writePicture(mixed, QString::fromLatin1(name), QSize(100, 80));
        QFile(mixed.filePath(QStringLiteral("empty.png"))).open(QIODevice::WriteOnly);
        QDir().mkpath(mixed.filePath(QStringLiteral("sub")));
        picturesFolder(1, QStringLiteral("Pictures"));
        openOn(remembered.isEmpty() ? QString() : m_root->filePath(remembered));
        QTEST(tags(), "cells");
        QCOMPARE(m_browser->thumbCount(), tags().size());
        QCOMPARE(m_settings->read(SettingsKeys::LastPath), folder(opened) + "/");
        QVERIFY(m_prompter.shown.isEmpty() && !m_browser->isBusy());
    }

    void addAll_addsEveryCellInOrderAndSaysWhatWasRefused() {
        const QDir pictures(folder(QStringLiteral("classes")));
        writePicture(pictures, QStringLiteral("1small.png"), QSize(200, 150));
        writePicture(pictures, QStringLiteral("2large.png"), QSize(800, 600));
        writePicture(pictures, QStringLiteral("3gone.png"), QSize(399, 600));
        openOn(pictures.path());
        QVERIFY(QFile::remove(pictures.filePath(QStringLiteral("3gone.png"))));
        QSignalSpy added(m_browser.get(), &BrowserWindow::addAllFinished);
        m_browser->addAllImages(); // a second press while the first runs is ignored
        addAll();
        QCOMPARE(added.size(), 1);
        QCOMPARE(listedPaths(),
                 QStringList({pictures.filePath("1small.png"), pictures.filePath("2large.png")}));
        QCOMPARE(m_list.at(0).tiled, NewEntryDefaults().tiledSmall);
        QCOMPARE(m_list.at(1).resize, NewEntryDefaults().resizeLarge);
        const auto *bar = m_browser->findChild<ProgressBar *>();
        QVERIFY2(bar->text().startsWith("2 added, 0 already in the list. Not added: "),
                 qPrintable(bar->text()));
        addAll();
        QVERIFY2(bar->text().startsWith("0 added, 2 already in the list. Not added: "),
                 qPrintable(bar->text()));
        openOn(folder(QStringLiteral("empty")), true);
        m_browser->addSelectedImage();
        addAll();
        QCOMPARE(m_list.count(), 2);
    }

    void add_beforeAnyClickAddsTheFirstCellAndChecksTheIndex() {
        const QString many = picturesFolder(5);
        openOn(many);
        m_browser->addSelectedImage();
        QTRY_COMPARE(listedPaths(), QStringList({many + "/p000.png"}));
        m_browser->selectThumb(4);
        openOn(picturesFolder(2, QStringLiteral("few")), true);
        // Cell 4 does not exist here: nothing is added, nothing is viewed.
        QSignalSpy viewed(m_browser.get(), &BrowserWindow::viewRequested);
        m_browser->addSelectedImage();
        m_browser->viewSelectedImage();
        QCOMPARE(m_list.count(), 1);
        QCOMPARE(viewed.size(), 0);
    }

    void selectThumb_showsDimensionsAndOffersTheViewInBold() {
        const QDir pictures(folder(QStringLiteral("sizes")));
        writePicture(pictures, QStringLiteral("a.png"), QSize(1024, 768));
        writePicture(pictures, QStringLiteral("b.png"), QSize(640, 480));
        openOn(pictures.path());
        const auto shown = [this](const QString &text) {
            for (const QLabel *label : m_browser->findChildren<QLabel *>())
                if (label->text() == text)
                    return true;
            return false;
        };
        ThumbnailStrip *strip = m_browser->strip();
        QTest::mousePress(strip->viewport(), Qt::RightButton, {}, strip->cellRect(1).center());
        QCOMPARE(m_browser->selectedThumb(), 1);
        QTRY_VERIFY(shown(QStringLiteral("640 x 480")));
        QVERIFY(shown(pictures.filePath(QStringLiteral("b.png"))));
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu && menu->defaultAction()->isEnabled());
        QSignalSpy viewed(m_browser.get(), &BrowserWindow::viewRequested);
        menu->defaultAction()->trigger();
        menu->close();
        QCOMPARE(viewed.value(0).value(0).toString(), pictures.filePath(QStringLiteral("b.png")));
        // Another folder: the size shown was the old folder's picture.
        openOn(picturesFolder(2), true);
        QVERIFY(!shown(QStringLiteral("640 x 480")));
    }

    void stop_keepsTheCellsMadeSoFarForAddAll() {
        m_settings->write(SettingsKeys::LastPath, picturesFolder(40));
        QSignalSpy finished(m_browser.get(), &BrowserWindow::runFinished);
        m_browser->open();
        QTRY_VERIFY_WITH_TIMEOUT(m_browser->strip()->count() >= 3, 20000);
        m_browser->stopThumbnails();
        QVERIFY(finished.wait(10000));
        const int made = m_browser->strip()->count();
        QVERIFY2(made < 40 && m_browser->thumbCount() == made, qPrintable(QString::number(made)));
        addAll();
        QCOMPARE(listedPaths().size(), made);
        QCOMPARE(listedPaths().last(),
                 folder("many") + QString("/p%1.png").arg(made - 1, 3, 10, QChar('0')));
    }

    void close_duringARunEndsItAndTheBrowserOpensAgain() {
        m_settings->write(SettingsKeys::LastPath, picturesFolder(60));
        QSignalSpy finished(m_browser.get(), &BrowserWindow::runFinished);
        m_browser->open();
        QTRY_VERIFY_WITH_TIMEOUT(m_browser->strip()->count() >= 1, 20000);
        m_browser->leave();
        QVERIFY(!m_browser->isVisible());
        QTest::qWait(300);
        QCOMPARE(finished.size(), 0);
        QCOMPARE(m_browser->strip()->count(), 0);
        openOn(folder(QStringLiteral("many")));
        QCOMPARE(m_browser->thumbCount(), 60);
    }

    void close_duringAddAllStopsAdding() {
        openOn(picturesFolder(30));
        // The user closes the window while the second picture is added.
        connect(&m_list, &QAbstractItemModel::rowsInserted, m_browser.get(), [this] {
            if (m_list.count() == 2)
                m_browser->close();
        });
        m_browser->addAllImages();
        QTRY_VERIFY(!m_browser->isVisible());
        QTest::qWait(100);
        QCOMPARE(m_list.count(), 2);
    }

    void drives_warnAndAskBeforeOpeningRemovableMedia_data() {
        QTest::addColumn<QString>("fileSystem");
        QTest::addColumn<Prompter::Answer>("answer");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QString>("warning"); // a word of the warning, "" for none
        QTest::newRow("cd, cancel") << "iso9660" << Prompter::Answer::Cancel << false << "CD-ROM";
        QTest::newRow("cd, ok") << "iso9660" << Prompter::Answer::Ok << true << "CD-ROM";
        QTest::newRow("network, ok") << "nfs4" << Prompter::Answer::Ok << true << "network";
        QTest::newRow("fixed") << "ext4" << Prompter::Answer::Ok << true << "";
    }
    void drives_warnAndAskBeforeOpeningRemovableMedia() {
        QFETCH(QString, fileSystem);
        QFETCH(Prompter::Answer, answer);
        QFETCH(bool, opened);
        QFETCH(QString, warning);
        const QString volume = picturesFolder(1, QStringLiteral("volume"));
        makeBrowser(QStringLiteral("/dev/sr0 %1 %2 ro 0 0\n").arg(volume, fileSystem));
        const QString start = picturesFolder(2, QStringLiteral("start"));
        openOn(start);
        auto *drives = m_browser->findChild<QComboBox *>();
        const int index = drives->findData(volume);
        QVERIFY(index >= 0);
        m_prompter.answers = {answer};
        QSignalSpy finished(m_browser.get(), &BrowserWindow::runFinished);
        drives->setCurrentIndex(index);
        Q_EMIT drives->activated(index);
        QVERIFY(opened ? finished.wait(10000) : !finished.wait(100));
        QCOMPARE(m_browser->currentPath(), (opened ? volume : start) + "/");
        QCOMPARE(m_prompter.shown.size(), warning.isEmpty() ? 0 : 1);
        if (!warning.isEmpty())
            QVERIFY(m_prompter.shown.first().text.section('\n', 0, 0).contains(warning));
    }

    void escape_inTheOpenDriveListClosesOnlyTheList() {
        openOn(picturesFolder(1));
        auto *drives = m_browser->findChild<QComboBox *>();
        drives->showPopup();
        QTRY_VERIFY(drives->view()->isVisible());
        QTest::keyClick(drives->view(), Qt::Key_Escape);
        QTRY_VERIFY(!drives->view()->isVisible());
        QVERIFY(m_browser->isVisible());
        // Outside the list Escape still leaves the browser.
        QTest::keyClick(m_browser.get(), Qt::Key_Escape);
        QVERIFY(!m_browser->isVisible());
    }

    void folder_thatCannotBeOpenedSaysSoAndStays() {
        const QString start = picturesFolder(2);
        openOn(start);
        m_browser->openFolder(m_root->filePath(QStringLiteral("vanished")));
        QTRY_COMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_browser->currentPath(), start + "/");
        QCOMPARE(m_browser->thumbCount(), 2);
    }

    // The columns share the whole width, and every row can be reached
    // however many there are.
    void layout_placesCellsInColumnsOfTheWindowWidth_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("cells");
        QTest::addColumn<int>("columns");
        QTest::newRow("minimum width, 2 columns") << 640 << 5 << 2;
        QTest::newRow("7 cells in 3 columns") << 780 << 7 << 3;
        QTest::newRow("no cells: one row") << 691 << 0 << 2;
        QTest::newRow("wide") << 1200 << 12 << 5;
        QTest::newRow("taller than 16 bits of pixels") << 1000 << 5000 << 4;
    }
    void layout_placesCellsInColumnsOfTheWindowWidth() {
        QFETCH(int, width);
        QFETCH(int, cells);
        QFETCH(int, columns);
        ThumbnailStrip *strip = m_browser->strip();
        const QImage canvas(ThumbnailStrip::CanvasSize, QImage::Format_RGB32);
        for (int i = 0; i < cells; ++i)
            strip->append(QString::number(i), canvas);
        m_browser->show();
        m_browser->resize(width, 517);
        QCoreApplication::processEvents();
        const int room = strip->viewport()->width();
        QCOMPARE(strip->columns(), columns);
        const int used = strip->cellSize().width() * columns;
        QVERIFY(used <= room && used > room - columns);
        const int rows = std::max(1, (cells + columns - 1) / columns);
        QCOMPARE(strip->gridHeight(), rows * 125);
        QScrollBar *scroll = strip->verticalScrollBar();
        QCOMPARE(scroll->maximum(), std::max(0, rows * 125 - strip->viewport()->height()));
        scroll->setValue(scroll->maximum());
        const int last = std::max(0, cells - 1);
        const QRect shown = strip->visualCellRect(last);
        QVERIFY(strip->viewport()->rect().contains(shown.bottomRight()));
        QTest::mouseClick(strip->viewport(), Qt::LeftButton, {}, shown.center());
        QCOMPARE(m_browser->selectedThumb(), cells > 0 ? last : 0);
    }

    void geometry_fitsTheScreen_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("expected");
        const QRect screen(0, 0, 1280, 800);
        QTest::newRow("first time: two thirds, centred")
            << "" << screen << QRect(213, 133, 853, 533);
        QTest::newRow("small screen: the designed size")
            << "" << QRect(0, 0, 800, 600) << QRect(54, 41, 691, 517);
        QTest::newRow("kept") << browserGeometryText(QRect(10, 20, 900, 600)) << screen
                              << QRect(10, 20, 900, 600);
        QTest::newRow("second screen")
            << "900 x 600 +1500 +20" << QRect(1280, 0, 1920, 1080) << QRect(1500, 20, 900, 600);
        QTest::newRow("off the top left: moved in")
            << "900 x 600 -300 -50" << screen << QRect(0, 0, 900, 600);
        QTest::newRow("screen since smaller: cut")
            << "3000 x 2000 +0 +0" << screen << QRect(0, 0, 1280, 800);
        QTest::newRow("below the minimum") << "100 x 100 +5 +5" << screen << QRect(5, 5, 640, 517);
    }
    void geometry_fitsTheScreen() {
        QFETCH(QString, stored);
        QFETCH(QRect, screen);
        QTEST(browserGeometry(readBrowserGeometry(stored), screen, QSize(640, 517)), "expected");
    }

    void geometry_closedBrowserOpensWhereItWas() {
        openOn(picturesFolder(1));
        m_browser->resize(700, 520);
        m_browser->move(30, 40);
        m_browser->close();
        makeBrowser();
        openOn(folder(QStringLiteral("many")));
        QCOMPARE(m_browser->geometry().size(), QSize(700, 520));
        QCOMPARE(m_browser->pos(), QPoint(30, 40));
    }
};

QTEST_MAIN(TestBrowserWindow)
#include "tst_browserwindow.moc"
