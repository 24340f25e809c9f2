#include "browsergeometry.h"
#include "browserwindow.h"
#include "progressbar.h"
#include "scriptedprompter.h"
#include "settingsstore.h"
#include "testimages.h"
#include "thumbnailstrip.h"
#include "wallpaperlist.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestBrowserWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<SettingsStore> m_settings;
    ScriptedPrompter m_prompter;
    WallpaperList m_list;
    std::unique_ptr<BrowserWindow> m_browser;
    QString m_mounts;

    QString folder(const QString &relative) {
        const QString path = m_root->filePath(relative);
        QDir().mkpath(path);
        return path;
    }

    void writeMounts(const QStringList &extra) {
        QFile table(m_mounts);
        QVERIFY(table.open(QIODevice::WriteOnly | QIODevice::Truncate));
        table.write("/dev/sda1 / ext4 rw 0 0\n");
        for (const QString &line : extra)
            table.write(line.toUtf8() + "\n");
    }

    void makeBrowser() {
        NewEntryDefaults defaults;
        defaults.thresholdWidth = QStringLiteral("400");
        defaults.thresholdHeight = QStringLiteral("300");
        m_browser = std::make_unique<BrowserWindow>(
            *m_settings, m_prompter, Drives(m_mounts, m_root->filePath(QStringLiteral("sys"))),
            ThumbnailCache(m_root->filePath(QStringLiteral("cache"))),
            [this, defaults](const MeasuredPicture &picture) {
                return addMeasuredToList(m_list, picture, defaults, QSize(512, 384));
            });
    }

    // Opens the browser on folder and waits for its thumbnails.
    void openOn(const QString &path) {
        m_settings->write(SettingsKeys::LastPath, path);
        QSignalSpy finished(m_browser.get(), &BrowserWindow::runFinished);
        m_browser->open();
        QVERIFY(finished.wait(20000));
    }

    void navigate(const QString &path) {
        QSignalSpy finished(m_browser.get(), &BrowserWindow::runFinished);
        m_browser->openFolder(path);
        QVERIFY(finished.wait(20000));
    }

    QString countText() const {
        const QList<QLabel *> labels = m_browser->findChildren<QLabel *>();
        for (const QLabel *label : labels)
            if (label->text().startsWith(QLatin1String("Images: ")) ||
                label->text().startsWith(QLatin1String("Files: ")))
                return label->text();
        return {};
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

    QString picturesFolder(int count, const QString &name = QStringLiteral("many")) {
        const QString path = folder(name);
        for (int i = 0; i < count; ++i)
            writePicture(QDir(path), QStringLiteral("p%1.png").arg(i, 3, 10, QLatin1Char('0')),
                         QSize(500 + i, 400));
        return path;
    }

private Q_SLOTS:
    void init() {
        m_root = std::make_unique<QTemporaryDir>();
        m_mounts = m_root->filePath(QStringLiteral("mounts"));
        writeMounts({});
        m_settings = std::make_unique<SettingsStore>(
            m_root->filePath(QStringLiteral("Rotafond.conf")),
            SettingsEnvironment{QSizeF(1024, 768), folder(QStringLiteral("Pictures"))});
        m_prompter = ScriptedPrompter();
        m_list.reset({});
        makeBrowser();
    }

    void cleanup() { m_browser.reset(); }

    void open_makesOneCellPerPictureInNameOrder() {
        const QDir mixed(folder(QStringLiteral("mixed")));
        writePicture(mixed, QStringLiteral("b.png"), QSize(1024, 768));
        writePicture(mixed, QStringLiteral("A.png"), QSize(100, 80));
        writePicture(mixed, QStringLiteral("photo.current.png"), QSize(64, 64));
        writePicture(mixed, QStringLiteral("c.ico"), QSize(32, 32));
        QFile(mixed.filePath(QStringLiteral("empty.png"))).open(QIODevice::WriteOnly);
        QFile text(mixed.filePath(QStringLiteral("d.txt")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("words");
        text.close();
        QDir().mkpath(mixed.filePath(QStringLiteral("sub")));

        openOn(mixed.path());
        QCOMPARE(tags(), QStringList({"A.png", "b.png", "photo.current.png"}));
        QCOMPARE(m_browser->thumbCount(), 3);
        QCOMPARE(countText(), QStringLiteral("Images: 3"));
        QCOMPARE(m_browser->currentPath(), mixed.path() + QLatin1Char('/'));
        QCOMPARE(m_settings->read(SettingsKeys::LastPath), mixed.path() + QLatin1Char('/'));
        QVERIFY(!m_browser->isBusy());
    }

    void open_withoutRememberedFolderUsesPictures() {
        writePicture(QDir(folder(QStringLiteral("Pictures"))), QStringLiteral("x.png"),
                     QSize(50, 50));
        QSignalSpy finished(m_browser.get(), &BrowserWindow::runFinished);
        m_browser->open();
        QVERIFY(finished.wait(10000));
        QCOMPARE(m_browser->currentPath(), folder(QStringLiteral("Pictures")) + QLatin1Char('/'));
        QCOMPARE(tags(), QStringList({"x.png"}));
        QVERIFY(m_prompter.shown.isEmpty());
    }

    void open_rememberedFolderGoneFallsBackWithoutMessage() {
        openOn(m_root->filePath(QStringLiteral("gone/away")));
        QCOMPARE(m_browser->currentPath(), folder(QStringLiteral("Pictures")) + QLatin1Char('/'));
        QVERIFY(m_prompter.shown.isEmpty());
    }

    void emptyFolder_countsZeroAndLeavesNothingToAdd() {
        openOn(folder(QStringLiteral("nothing")));
        QCOMPARE(countText(), QStringLiteral("Images: 0"));
        QCOMPARE(m_browser->strip()->count(), 0);
        QCOMPARE(m_browser->strip()->height(), ThumbnailStrip::CellSize.height());
        m_browser->addSelectedImage();
        m_browser->viewSelectedImage();
        QSignalSpy added(m_browser.get(), &BrowserWindow::addAllFinished);
        m_browser->addAllImages();
        QVERIFY(added.wait(2000));
        QVERIFY(m_list.isEmpty());
    }

    void addAll_addsEveryCellInOrderWithItsClassDefaults() {
        const QDir pictures(folder(QStringLiteral("classes")));
        writePicture(pictures, QStringLiteral("1small.png"), QSize(200, 150));
        writePicture(pictures, QStringLiteral("2large.png"), QSize(800, 600));
        writePicture(pictures, QStringLiteral("3small.png"), QSize(399, 600));
        openOn(pictures.path());
        QSignalSpy added(m_browser.get(), &BrowserWindow::addAllFinished);
        m_browser->addAllImages();
        m_browser->addAllImages(); // a second press while the first runs is ignored
        QVERIFY(added.wait(5000));
        QTest::qWait(50);
        QCOMPARE(added.size(), 1);
        QCOMPARE(listedPaths(),
                 QStringList({pictures.filePath("1small.png"), pictures.filePath("2large.png"),
                              pictures.filePath("3small.png")}));
        const NewEntryDefaults defaults;
        QCOMPARE(m_list.at(0).tiled, defaults.tiledSmall);
        QCOMPARE(m_list.at(0).resize, defaults.resizeSmall);
        QCOMPARE(m_list.at(1).tiled, defaults.tiledLarge);
        QCOMPARE(m_list.at(1).resize, defaults.resizeLarge);
        QCOMPARE(m_list.at(2).tiled, defaults.tiledSmall);
    }

    void addAll_reportsRefusedFilesAndOnesAlreadyListed() {
        const QString path = picturesFolder(3, QStringLiteral("vanishing"));
        openOn(path);
        QVERIFY(QFile::remove(path + QStringLiteral("/p001.png")));
        QSignalSpy added(m_browser.get(), &BrowserWindow::addAllFinished);
        m_browser->addAllImages();
        QVERIFY(added.wait(5000));
        QCOMPARE(m_list.count(), 2);
        const auto *bar = m_browser->findChild<ProgressBar *>();
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->percent(), 100);
        QVERIFY2(
            bar->text().startsWith(QLatin1String("2 added, 0 already in the list. Not added: ")),
            qPrintable(bar->text()));
        // A second time adds nothing twice, and says so.
        m_browser->addAllImages();
        QVERIFY(added.wait(5000));
        QCOMPARE(m_list.count(), 2);
        QVERIFY2(
            bar->text().startsWith(QLatin1String("0 added, 2 already in the list. Not added: ")),
            qPrintable(bar->text()));
    }

    void add_beforeAnyClickAddsTheFirstCellAndChecksTheIndex() {
        const QString many = picturesFolder(5);
        openOn(many);
        m_browser->addSelectedImage();
        QTRY_COMPARE(listedPaths(), QStringList({many + QStringLiteral("/p000.png")}));

        m_browser->selectThumb(4);
        const QString few = picturesFolder(2, QStringLiteral("few"));
        navigate(few);
        // Cell 4 does not exist here: nothing is added, nothing is viewed.
        QSignalSpy viewed(m_browser.get(), &BrowserWindow::viewRequested);
        m_browser->addSelectedImage();
        m_browser->viewSelectedImage();
        QCOMPARE(m_list.count(), 1);
        QCOMPARE(viewed.size(), 0);
    }

    void selectThumb_showsPathAndDimensions() {
        const QDir pictures(folder(QStringLiteral("sizes")));
        writePicture(pictures, QStringLiteral("a.png"), QSize(1024, 768));
        openOn(pictures.path());
        QSignalSpy viewed(m_browser.get(), &BrowserWindow::viewRequested);
        m_browser->selectThumb(0);
        const auto texts = [this] {
            QStringList texts;
            for (const QLabel *label : m_browser->findChildren<QLabel *>())
                texts.append(label->text());
            return texts;
        };
        QTRY_VERIFY(texts().contains(QStringLiteral("1024 x 768")));
        QVERIFY(texts().contains(pictures.filePath(QStringLiteral("a.png"))));
        m_browser->viewSelectedImage();
        QCOMPARE(viewed.size(), 1);
        QCOMPARE(viewed.first().first().toString(), pictures.filePath(QStringLiteral("a.png")));
        // The selected cell stands out in the highlight colour.
        auto *strip = m_browser->findChild<ThumbnailStrip *>();
        QCOMPARE(strip->grab().toImage().pixel(4, 4),
                 strip->palette().color(QPalette::Highlight).rgb());
        // Another folder: the size shown was the old folder's picture.
        navigate(picturesFolder(2));
        QVERIFY(!texts().contains(QStringLiteral("1024 x 768")));
    }

    void svgPictures_areShownAndAdded() {
        const QString path = folder(QStringLiteral("drawings"));
        QFile svg(path + QStringLiteral("/sun.svg"));
        QVERIFY(svg.open(QIODevice::WriteOnly));
        svg.write("<svg xmlns='http://www.w3.org/2000/svg' width='640' height='480'>"
                  "<circle cx='320' cy='240' r='200' fill='orange'/></svg>");
        svg.close();
        openOn(path);
        auto *strip = m_browser->findChild<ThumbnailStrip *>();
        QCOMPARE(strip->count(), 1);
        const QImage cell = strip->picture(0);
        QCOMPARE(cell.pixelColor(cell.width() / 2, cell.height() / 2).name(),
                 QStringLiteral("#ffa500"));
        QSignalSpy added(m_browser.get(), &BrowserWindow::addAllFinished);
        m_browser->addAllImages();
        QVERIFY(added.wait(5000));
        QCOMPARE(listedPaths(), QStringList{svg.fileName()});
    }

    void open_bringsAMinimisedBrowserBack() {
        openOn(picturesFolder(1));
        m_browser->showMinimized();
        QTRY_VERIFY(m_browser->isMinimized());
        m_browser->open();
        QVERIFY(!m_browser->isMinimized());
    }

    void rightClick_selectsTheCellAndOffersViewInBold() {
        const QString pictures = picturesFolder(3, QStringLiteral("menu"));
        openOn(pictures);
        ThumbnailStrip *strip = m_browser->strip();
        QTest::mousePress(strip, Qt::RightButton, {}, strip->cellRect(2).center());
        QCOMPARE(m_browser->selectedThumb(), 2);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QCOMPARE(menu->defaultAction()->text(), QStringLiteral("View Selected Image"));
        QVERIFY(menu->defaultAction()->isEnabled());
        QSignalSpy viewed(m_browser.get(), &BrowserWindow::viewRequested);
        menu->defaultAction()->trigger();
        menu->close();
        QCOMPARE(viewed.size(), 1);
        QCOMPARE(viewed.first().first().toString(), pictures + QStringLiteral("/p002.png"));
    }

    void stop_keepsTheCellsMadeSoFarForAddAll() {
        const QString many = picturesFolder(40);
        m_settings->write(SettingsKeys::LastPath, many);
        QSignalSpy finished(m_browser.get(), &BrowserWindow::runFinished);
        m_browser->open();
        QTRY_VERIFY_WITH_TIMEOUT(m_browser->strip()->count() >= 3, 20000);
        m_browser->stopThumbnails();
        QVERIFY(finished.wait(10000));
        const int made = m_browser->strip()->count();
        QVERIFY2(made < 40, qPrintable(QString::number(made)));
        QCOMPARE(m_browser->thumbCount(), made);
        QCOMPARE(countText(), QStringLiteral("Images: %1").arg(made));

        QSignalSpy added(m_browser.get(), &BrowserWindow::addAllFinished);
        m_browser->addAllImages();
        QVERIFY(added.wait(5000));
        QCOMPARE(m_list.count(), made);
        QCOMPARE(m_list.at(made - 1).filePath,
                 many + QStringLiteral("/p%1.png").arg(made - 1, 3, 10, QLatin1Char('0')));
    }

    void close_duringARunEndsItAndTheBrowserOpensAgain() {
        const QString many = picturesFolder(60);
        m_settings->write(SettingsKeys::LastPath, many);
        QSignalSpy finished(m_browser.get(), &BrowserWindow::runFinished);
        m_browser->open();
        QTRY_VERIFY_WITH_TIMEOUT(m_browser->strip()->count() >= 1, 20000);
        m_browser->leave();
        QVERIFY(!m_browser->isVisible());
        QTest::qWait(300);
        QCOMPARE(finished.size(), 0);
        QCOMPARE(m_browser->strip()->count(), 0);

        openOn(many);
        QCOMPARE(m_browser->thumbCount(), 60);
    }

    void close_duringAddAllStopsAdding() {
        const QString many = picturesFolder(30);
        openOn(many);
        // The user closes the window while the second picture is added.
        connect(&m_list, &QAbstractItemModel::rowsInserted, m_browser.get(), [this] {
            if (m_list.count() == 2)
                m_browser->close();
        });
        m_browser->addAllImages();
        QTRY_VERIFY(!m_browser->isVisible());
        const int added = m_list.count();
        QTest::qWait(100);
        QCOMPARE(m_list.count(), added);
        QVERIFY(added < 30);
    }

    void drives_warnAndAskBeforeOpeningRemovableMedia_data() {
        QTest::addColumn<QString>("fileSystem");
        QTest::addColumn<Prompter::Answer>("answer");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("cd, cancel") << "iso9660" << Prompter::Answer::Cancel << false
                                    << "I can add pictures from a CD-ROM...";
        QTest::newRow("cd, ok") << "iso9660" << Prompter::Answer::Ok << true
                                << "I can add pictures from a CD-ROM...";
        QTest::newRow("network, ok") << "nfs4" << Prompter::Answer::Ok << true
                                     << "I can add pictures from a network drive...";
        QTest::newRow("fixed") << "ext4" << Prompter::Answer::Ok << true << "";
    }

    void drives_warnAndAskBeforeOpeningRemovableMedia() {
        QFETCH(QString, fileSystem);
        QFETCH(Prompter::Answer, answer);
        QFETCH(bool, opened);
        QFETCH(QString, firstLine);
        const QString volume = picturesFolder(1, QStringLiteral("volume"));
        writeMounts({QStringLiteral("/dev/sr0 %1 %2 ro 0 0").arg(volume, fileSystem)});
        const QString start = picturesFolder(2, QStringLiteral("start"));
        openOn(start);

        auto *drives = m_browser->findChild<QComboBox *>();
        const int index = drives->findData(volume);
        QVERIFY(index >= 0);
        m_prompter.answers = {answer};
        QSignalSpy finished(m_browser.get(), &BrowserWindow::runFinished);
        drives->setCurrentIndex(index);
        Q_EMIT drives->activated(index);
        if (opened)
            QVERIFY(finished.wait(10000));
        else
            QTest::qWait(100);
        QCOMPARE(m_browser->currentPath(), (opened ? volume : start) + QLatin1Char('/'));
        if (firstLine.isEmpty()) {
            QVERIFY(m_prompter.shown.isEmpty());
            return;
        }
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.shown.first().title, QStringLiteral("Rotafond"));
        QCOMPARE(m_prompter.shown.first().buttons, Prompter::Buttons::OkCancel);
        const QStringList lines = m_prompter.shown.first().text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.at(0), firstLine);
        QCOMPARE(lines.at(1), QStringLiteral("but is that a good idea?"));
        QCOMPARE(lines.at(3), QString());
        QCOMPARE(
            lines.at(4),
            QStringLiteral("Be sure there is a medium inserted and that the drive is available."));
    }

    void escape_inTheOpenDriveListClosesOnlyTheList() {
        openOn(picturesFolder(1, QStringLiteral("start")));
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
        const QString start = picturesFolder(2, QStringLiteral("start"));
        openOn(start);
        m_browser->openFolder(m_root->filePath(QStringLiteral("vanished")));
        QTRY_COMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.shown.first().title,
                 QStringLiteral("Toto, I've got a feeling we're not in Kansas anymore"));
        QCOMPARE(m_prompter.shown.first().text,
                 QStringLiteral("Maybe try putting something in the right places..."));
        QCOMPARE(m_browser->currentPath(), start + QLatin1Char('/'));
        QCOMPARE(m_browser->thumbCount(), 2);
    }

    void layout_placesCellsInColumnsOfTheWindowWidth_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("cells");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::newRow("minimum width, 2 columns") << 640 << 5 << 2 << 3;
        QTest::newRow("7 cells in 3 columns") << 780 << 7 << 3 << 3;
        QTest::newRow("no cells: one row") << 691 << 0 << 2 << 1;
        QTest::newRow("wide") << 1200 << 12 << 5 << 3;
        QTest::newRow("thousands of cells") << 1000 << 5000 << 4 << 1250;
    }

    void layout_placesCellsInColumnsOfTheWindowWidth() {
        QFETCH(int, width);
        QFETCH(int, cells);
        QFETCH(int, columns);
        QFETCH(int, rows);
        ThumbnailStrip *strip = m_browser->strip();
        QImage canvas(ThumbnailStrip::CanvasSize, QImage::Format_RGB32);
        canvas.fill(Qt::gray);
        for (int i = 0; i < cells; ++i)
            strip->append(QString::number(i), canvas);
        m_browser->show();
        m_browser->resize(width, 517);
        QCoreApplication::processEvents();

        // The columns share the whole width: what is left over is less
        // than one pixel per column.
        auto *scroll = m_browser->findChild<QScrollBar *>(QStringLiteral("stripScrollBar"));
        auto *frame = strip->parentWidget()->parentWidget();
        const int room = static_cast<QFrame *>(frame)->contentsRect().width() - scroll->width();
        QCOMPARE(strip->columns(), columns);
        QVERIFY(strip->width() <= room && strip->width() > room - columns);
        QCOMPARE(strip->height(), rows * 125);
        const int last = std::max(0, cells - 1);
        QCOMPARE(strip->cellRect(last), QRect(last % columns * (room / columns),
                                              last / columns * 125, room / columns, 125));
        QCOMPARE(strip->cellAt(strip->cellRect(last).bottomRight()), cells > 0 ? last : -1);
        const int visible = static_cast<QFrame *>(frame)->contentsRect().height();
        QCOMPARE(scroll->isEnabled(), rows * 125 - visible >= 0);
        QCOMPARE(scroll->maximum(), std::max(0, rows * 125 - visible));

        // Every row can be reached, and the strip follows the scroll bar.
        scroll->setValue(scroll->maximum());
        QCOMPARE(strip->y(), -scroll->maximum());
        QVERIFY(strip->mapTo(frame, strip->cellRect(last).bottomLeft()).y() < frame->height());
    }

    void layout_stripExactlyAsTallAsTheFrameScrollsByNothing() {
        ThumbnailStrip *strip = m_browser->strip();
        QImage canvas(ThumbnailStrip::CanvasSize, QImage::Format_RGB32);
        for (int i = 0; i < 8; ++i)
            strip->append(QString::number(i), canvas);
        m_browser->show();
        m_browser->resize(691, 600);
        QCoreApplication::processEvents();
        auto *frame = static_cast<QFrame *>(strip->parentWidget()->parentWidget());
        // 8 cells in 2 columns: 4 rows of 125.
        m_browser->resize(691, 600 + 500 - frame->contentsRect().height());
        QCoreApplication::processEvents();
        QCOMPARE(frame->contentsRect().height(), 500);
        auto *scroll = m_browser->findChild<QScrollBar *>(QStringLiteral("stripScrollBar"));
        QCOMPARE(scroll->maximum(), 0);
        QVERIFY(scroll->isEnabled());
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
        QTest::newRow("unreadable") << "wide" << screen << QRect(213, 133, 853, 533);
        QTest::newRow("kept") << browserGeometryText(QRect(10, 20, 900, 600)) << screen
                              << QRect(10, 20, 900, 600);
        QTest::newRow("second screen")
            << "900 x 600 +1500 +20" << QRect(1280, 0, 1920, 1080) << QRect(1500, 20, 900, 600);
        QTest::newRow("off the right: moved in")
            << "900 x 600 +1000 +20" << screen << QRect(380, 20, 900, 600);
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
        const QString start = picturesFolder(1, QStringLiteral("start"));
        openOn(start);
        m_browser->resize(700, 520);
        m_browser->move(30, 40);
        m_browser->close();
        makeBrowser();
        openOn(start);
        QCOMPARE(m_browser->size(), QSize(700, 520));
        QCOMPARE(m_browser->pos(), QPoint(30, 40));
    }

    void captions_areCutToTheCellWidth_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("short") << "a.jpg";
        QTest::newRow("long") << "a-very-long-file-name-that-never-fits-in-one-cell.jpeg";
        QTest::newRow("wide letters") << QString(40, QLatin1Char('W'));
    }

    void captions_areCutToTheCellWidth() {
        QFETCH(QString, name);
        const QFontMetrics metrics(QApplication::font());
        const QString caption = shortenCaption(name, metrics, 180);
        if (metrics.horizontalAdvance(name) <= 165) {
            QCOMPARE(caption, name);
            return;
        }
        QVERIFY(caption.endsWith(QLatin1String("...")));
        const QString kept = caption.chopped(3);
        QVERIFY(name.startsWith(kept));
        QVERIFY(metrics.horizontalAdvance(kept) <= 165 - metrics.horizontalAdvance("..."));
        QVERIFY(metrics.horizontalAdvance(name.left(kept.size() + 1)) >
                165 - metrics.horizontalAdvance("..."));
    }

    void captions_nameThatFitsExactlyIsKept() {
        const QFontMetrics metrics(QApplication::font());
        QString name = QStringLiteral("i");
        while (metrics.horizontalAdvance(name + QLatin1Char('i')) <= 165)
            name += QLatin1Char('i');
        QCOMPARE(shortenCaption(name, metrics, 180), name);
    }
};

QTEST_MAIN(TestBrowserWindow)
#include "tst_browserwindow.moc"
