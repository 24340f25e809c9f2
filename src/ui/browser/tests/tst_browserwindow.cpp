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
    // Pictures p000.png, p001.png...; large ones take long enough to be stopped.
    QString picturesFolder(const QString &name, int count, QSize size = {100, 80}) {
        for (int i = 0; i < count; ++i)
            writePicture(QDir(folder(name)), QStringLiteral("p%1.png").arg(i, 3, 10, QChar('0')),
                         size);
        return folder(name);
    }
    void makeBrowser(const QString &mounts = {}) {
        QFile table(m_root->filePath(QStringLiteral("mounts")));
        QVERIFY(table.open(QIODevice::WriteOnly) &&
                table.write("/dev/sda1 / ext4 rw 0 0\n" + mounts.toUtf8()) > 0);
        m_browser = std::make_unique<BrowserWindow>(
            *m_settings, m_prompter, Drives(table.fileName(), m_root->filePath("sys")),
            ThumbnailCache(m_root->filePath(QStringLiteral("cache"))),
            [this](const MeasuredPicture &picture) {
                return addMeasuredToList(m_list, picture, {}, QSize(512, 384));
            });
    }
    // Opens the browser on path (the remembered folder if none), or goes
    // there, and waits for the thumbnails.
    void openOn(const QString &path = {}, bool navigate = false) {
        QSignalSpy finished(m_browser.get(), &BrowserWindow::runFinished);
        if (!navigate && !path.isEmpty())
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
    bool shows(const QString &text) const {
        const QList<QLabel *> labels = m_browser->findChildren<QLabel *>();
        return std::any_of(labels.cbegin(), labels.cend(),
                           [&](const QLabel *label) { return label->text() == text; });
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

    // A remembered folder that is gone is no reason for a message, a folder
    // the user picks that cannot be opened is. Pictures only, in reading
    // order. Escape in the open drive list closes only the list, the next
    // one the browser, which opens again where it was, on the same folder.
    void folders_showTheirPicturesAndTheBrowserComesBackToTheLastOne() {
        const QDir mixed(folder(QStringLiteral("mixed")));
        for (const char *name : {"b.png", "A.png", "c.ico"})
            writePicture(mixed, QString::fromLatin1(name), QSize(100, 80));
        QVERIFY(writeBytes(mixed.filePath(QStringLiteral("empty.png")), {}));
        folder(QStringLiteral("mixed/sub"));
        picturesFolder(QStringLiteral("Pictures"), 1);
        openOn(m_root->filePath(QStringLiteral("gone/away")));
        QCOMPARE(tags(), QStringList{"p000.png"});
        openOn(mixed.path(), true);
        QCOMPARE(tags(), QStringList({"A.png", "b.png"}));
        QCOMPARE(m_browser->thumbCount(), 2);
        QVERIFY(m_prompter.shown.isEmpty());
        m_browser->openFolder(m_root->filePath(QStringLiteral("vanished")));
        QTRY_COMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_browser->currentPath(), mixed.path() + "/");
        QCOMPARE(m_browser->thumbCount(), 2);
        m_browser->resize(700, 520);
        m_browser->move(30, 40);
        auto *drives = m_browser->findChild<QComboBox *>();
        drives->showPopup();
        QTRY_VERIFY(drives->view()->isVisible());
        QTest::keyClick(drives->view(), Qt::Key_Escape);
        QTRY_VERIFY(!drives->view()->isVisible());
        QVERIFY(m_browser->isVisible());
        QTest::keyClick(m_browser.get(), Qt::Key_Escape);
        QVERIFY(!m_browser->isVisible());
        makeBrowser();
        openOn();
        QCOMPARE(QRect(m_browser->pos(), m_browser->size()), QRect(30, 40, 700, 520));
        QCOMPARE(tags(), QStringList({"A.png", "b.png"}));
    }

    // Add before any click takes the first cell; Add All takes every cell in
    // order and says what it refused; a cell number the folder on screen
    // does not have designates nothing.
    void adding_takesTheChosenCellsAndSaysWhatWasRefused() {
        const QDir pictures(folder(QStringLiteral("classes")));
        writePicture(pictures, QStringLiteral("1small.png"), QSize(200, 150));
        writePicture(pictures, QStringLiteral("2large.png"), QSize(800, 600));
        writePicture(pictures, QStringLiteral("3gone.png"), QSize(399, 600));
        openOn(pictures.path());
        m_browser->addSelectedImage();
        QTRY_VERIFY(m_list.count() == 1 && !m_browser->isBusy());
        QVERIFY(QFile::remove(pictures.filePath(QStringLiteral("3gone.png"))));
        QSignalSpy added(m_browser.get(), &BrowserWindow::addAllFinished);
        m_browser->addAllImages(); // a second press while the first runs is ignored
        addAll();
        QCOMPARE(added.size(), 1);
        QCOMPARE(m_list.count(), 2);
        QCOMPARE(m_list.at(1).filePath, pictures.filePath("2large.png"));
        QVERIFY(m_list.at(0).tiled && !m_list.at(1).tiled); // measured as small and large
        const QString report = m_browser->findChild<ProgressBar *>()->text();
        QVERIFY2(report.startsWith("1 added, 1 already in the list. Not added: "),
                 qPrintable(report));
        // A right click shows the picture's size and offers to view it.
        ThumbnailStrip *strip = m_browser->strip();
        QTest::mousePress(strip->viewport(), Qt::RightButton, {}, strip->cellRect(1).center());
        QTRY_VERIFY(shows(QStringLiteral("800 x 600")) && shows(pictures.filePath("2large.png")));
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu && menu->defaultAction()->isEnabled());
        QSignalSpy viewed(m_browser.get(), &BrowserWindow::viewRequested);
        menu->defaultAction()->trigger();
        menu->close();
        QCOMPARE(viewed.value(0).value(0).toString(), pictures.filePath("2large.png"));
        openOn(folder(QStringLiteral("empty")), true);
        QVERIFY(!shows(QStringLiteral("800 x 600")));
        m_browser->addSelectedImage();
        m_browser->viewSelectedImage();
        addAll();
        QCOMPARE(m_list.count(), 2);
        QCOMPARE(viewed.size(), 1);
    }

    // Stop keeps the cells made so far for Add All; closing the window ends
    // a run or an Add All at once, and the browser opens again as before.
    void longRuns_stopOrCloseKeepingWhatIsDone() {
        const QString many = picturesFolder(QStringLiteral("many"), 40, QSize(600, 400));
        m_settings->write(SettingsKeys::LastPath, many);
        QSignalSpy finished(m_browser.get(), &BrowserWindow::runFinished);
        m_browser->open();
        QTRY_VERIFY_WITH_TIMEOUT(m_browser->strip()->count() >= 3, 20000);
        m_browser->stopThumbnails();
        QVERIFY(finished.wait(10000));
        const int made = m_browser->strip()->count();
        QVERIFY2(made < 40 && m_browser->thumbCount() == made, qPrintable(QString::number(made)));
        addAll();
        QCOMPARE(m_list.count(), made);
        QCOMPARE(m_list.at(made - 1).filePath,
                 many + QString("/p%1.png").arg(made - 1, 3, 10, QChar('0')));
        m_browser->openFolder(many);
        QTRY_VERIFY_WITH_TIMEOUT(m_browser->strip()->count() > made, 20000);
        m_browser->leave();
        QVERIFY(!m_browser->isVisible() && ThumbnailRun::defaultPool().waitForDone(10000));
        QCoreApplication::processEvents(); // what the workers finished comes to nothing
        QCOMPARE(finished.size(), 1);
        QCOMPARE(m_browser->strip()->count(), 0);
        openOn(many);
        QCOMPARE(m_browser->thumbCount(), 40);
        connect(&m_list, &QAbstractItemModel::rowsInserted, m_browser.get(), [this, made] {
            if (m_list.count() == made + 2)
                m_browser->close();
        });
        m_browser->addAllImages();
        QTRY_VERIFY(!m_browser->isVisible());
        QTest::qWait(100);
        QCOMPARE(m_list.count(), made + 2);
    }

    // A CD or a network drive warns first, and Cancel stays where it was.
    void drives_warnAndAskBeforeOpeningRemovableMedia() {
        const QString cd = picturesFolder("cd", 1), share = picturesFolder("share", 1);
        const QString disk = picturesFolder("disk", 1), start = picturesFolder("start", 1);
        makeBrowser(QStringLiteral("/dev/sr0 %1 iso9660 ro 0 0\nhost:/x %2 nfs4 rw 0 0\n"
                                   "/dev/sdb1 %3 ext4 rw 0 0\n")
                        .arg(cd, share, disk));
        openOn(start);
        auto *drives = m_browser->findChild<QComboBox *>();
        m_prompter.answers = {Prompter::Answer::Cancel, Prompter::Answer::Ok};
        for (const QString &root : {cd, share, disk}) {
            QSignalSpy finished(m_browser.get(), &BrowserWindow::runFinished);
            drives->setCurrentIndex(drives->findData(root));
            Q_EMIT drives->activated(drives->currentIndex());
            QVERIFY(root == cd ? !finished.wait(100) : finished.wait(10000));
            QCOMPARE(m_browser->currentPath(), (root == cd ? start : root) + "/");
        }
        QCOMPARE(m_prompter.shown.size(), 2);
        QVERIFY(m_prompter.shown.at(0).text.section('\n', 0, 0).contains("CD-ROM"));
        QVERIFY(m_prompter.shown.at(1).text.section('\n', 0, 0).contains("network"));
    }

    // The columns share the whole width, and every row can be reached
    // however many there are.
    void layout_placesCellsInColumnsOfTheWindowWidth_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("cells");
        QTest::addColumn<int>("columns");
        QTest::newRow("no cells: one row") << 691 << 0 << 2;
        QTest::newRow("7 cells in 3 columns") << 780 << 7 << 3;
        QTest::newRow("taller than 16 bits of pixels") << 1000 << 5000 << 4;
    }
    void layout_placesCellsInColumnsOfTheWindowWidth() {
        QFETCH(int, width);
        QFETCH(int, cells);
        QFETCH(int, columns);
        ThumbnailStrip *strip = m_browser->strip();
        QImage canvas(ThumbnailStrip::CanvasSize, QImage::Format_RGB32);
        canvas.fill(Qt::darkCyan);
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
        QCOMPARE(m_browser->selectedThumb(), last);
    }

    void geometry_fitsTheScreen_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("expected");
        const QRect screen(0, 0, 1280, 800);
        QTest::newRow("first time: two thirds, centred")
            << "" << screen << QRect(213, 133, 853, 533);
        QTest::newRow("first time, small screen: the designed size")
            << "" << QRect(0, 0, 800, 600) << QRect(54, 41, 691, 517);
        QTest::newRow("kept on the second screen")
            << browserGeometryText({1500, 20, 900, 600}) << QRect(1280, 0, 1920, 1080)
            << QRect(1500, 20, 900, 600);
        QTest::newRow("too wide, too low, off the top left: fitted")
            << "3000 x 100 -300 -50" << screen << QRect(0, 0, 1280, 517);
    }
    void geometry_fitsTheScreen() {
        QFETCH(QString, stored);
        QFETCH(QRect, screen);
        QTEST(browserGeometry(readBrowserGeometry(stored), screen, QSize(640, 517)), "expected");
    }
};

QTEST_MAIN(TestBrowserWindow)
#include "tst_browserwindow.moc"
