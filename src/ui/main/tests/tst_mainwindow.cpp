#include "fittedpath.h"
#include "mainwindow.h"
#include "preview.h"
#include "scriptedprompter.h"
#include "settingspanel.h"
#include "testimages.h"
#include "wallpaperlist.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QListView>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

Q_DECLARE_METATYPE(WallpaperEntry)

class TestMainWindow : public QObject {
    Q_OBJECT

    const QSize m_screen{1024, 768};
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<WallpaperList> m_list;
    ScriptedPrompter m_prompter;
    std::unique_ptr<MainWindow> m_window;

    // The given entries, then count pictures with assorted settings.
    void fill(int count, QList<WallpaperEntry> entries = {}) {
        for (int i = 0; i < count; ++i)
            entries.append(
                {writePicture(QDir(m_dir->path()), QStringLiteral("%1.png").arg(i), {40, 30}),
                 i % 2 == 0, true, i % 3 == 0});
        m_list->reset(entries);
    }
    // How many labels of the window pass: pictures load on a worker, so wait with QTRY_.
    template <typename Pass> int labels(Pass pass) const {
        const QList<QLabel *> all = m_window->findChildren<QLabel *>();
        return int(std::count_if(all.cbegin(), all.cend(), pass));
    }

private Q_SLOTS:
    void init() {
        m_window.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        m_list = std::make_unique<WallpaperList>();
        m_prompter = {};
        m_window = std::make_unique<MainWindow>(*m_list, m_prompter, m_screen);
        m_window->show();
        // Activation selects the first entry of a list without selection: now, not mid-test.
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void brokenEntry_isHandledWhenSelected_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("boxes");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<int>("selectedAfter");
        // A vanished file is reported and the entry before it selected; the
        // entry is found again when the list changed while the message was open.
        QTest::newRow("vanished") << "vanished" << 1 << false << -1;
        QTest::newRow("vanished, list grew meanwhile") << "grown" << 1 << false << 0;
        QTest::newRow("not a picture: silently") << "text" << 0 << false << 0;
        // A disc that is not mounted may come back.
        QTest::newRow("unreachable: kept") << "unreachable" << 0 << true << 0;
    }

    void brokenEntry_isHandledWhenSelected() {
        QFETCH(QString, fault);
        const QString path = fault == "unreachable" ? QStringLiteral("/media/not-mounted/a.jpg")
                                                    : m_dir->filePath("broken.jpg");
        QVERIFY(fault != "text" || writeBytes(path, "not a picture at all"));
        fill(2, {{path}});
        m_prompter.onShow = [this, grow = fault == "grown"] {
            if (grow)
                m_list->move(m_list->count() - 1, 0);
        };
        m_window->selectPosition(0);
        QFETCH(bool, kept);
        QTRY_COMPARE(m_list->entries().contains({path}), kept);
        QTEST(int(m_prompter.shown.size()), "boxes");
        QTEST(m_window->selectedPosition(), "selectedAfter");
    }

    void thousandsOfBrokenEntries_goOneAfterAnother() {
        // Each removal selects the next broken entry; done from within the last
        // one's handling, ten thousand of them overflowed the stack.
        const QString empty = m_dir->filePath("empty.jpg");
        QVERIFY(writeBytes(empty, {}));
        fill(1, QList<WallpaperEntry>(4000, {empty}));
        // A real event loop: QTest's waits sleep between rounds of events.
        QEventLoop loop;
        connect(m_list.get(), &QAbstractItemModel::rowsRemoved, &loop, [&] {
            if (m_list->count() == 1)
                loop.quit();
        });
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        m_window->setUpdatesEnabled(false); // painting each step would only slow the test
        m_window->selectPosition(0);
        loop.exec();
        QCOMPARE(m_list->count(), 1);
        QCOMPARE(m_window->selectedPosition(), 0);
    }

    void panelClick_changesTheEntryAndItsPreview_data() {
        using enum SettingsPanel::Option;
        QTest::addColumn<WallpaperEntry>("before");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<WallpaperEntry>("after");
        QTest::addColumn<DisplayMode>("mode"); // what the engine applies, so the preview shows
        const auto e = [](bool resize, bool proportional, bool tiled) {
            return WallpaperEntry{{}, resize, proportional, tiled};
        };
        QTest::newRow("Stretch: not tiled")
            << e(1, 1, 1) << int(Stretch) << e(1, 0, 0) << DisplayMode::SS;
        QTest::newRow("Tiled: proportional")
            << e(1, 0, 0) << int(Tiled) << e(1, 1, 1) << DisplayMode::TP;
        QTest::newRow("No keeps the kind")
            << e(1, 0, 0) << int(ResizeNo) << e(0, 0, 0) << DisplayMode::SN;
        // Flags only the store produces: shown as they are, previewed as the engine applies them.
        QTest::newRow("stored tiled, stretched")
            << e(1, 0, 1) << -1 << e(1, 0, 1) << DisplayMode::SS;
        QTest::newRow("stored tiled, unscaled")
            << e(0, 0, 1) << -1 << e(0, 0, 1) << DisplayMode::TN;
    }

    void panelClick_changesTheEntryAndItsPreview() {
        using enum SettingsPanel::Option;
        QFETCH(WallpaperEntry, before);
        QFETCH(int, clicked);
        QFETCH(WallpaperEntry, after);
        QFETCH(DisplayMode, mode);
        const QImage image = gradientPicture(QSize(300, 200));
        before.filePath = after.filePath = m_dir->filePath("pattern.png");
        QVERIFY(image.save(after.filePath));
        m_list->reset({before});
        m_window->selectPosition(0);
        auto *panel = m_window->findChild<SettingsPanel *>();
        if (clicked >= 0)
            panel->option(SettingsPanel::Option(clicked))->click();
        QCOMPARE(m_list->at(0), after);
        QCOMPARE(panel->option(Proportional)->isEnabled(), after.resize);
        const QImage preview = drawPreviewEffect(image, image.size(), mode, m_screen);
        const auto showsPreview = [&](const QLabel *label) {
            return label->pixmap().toImage().convertToFormat(QImage::Format_RGB32) == preview;
        };
        QTRY_COMPARE(labels(showsPreview), 1);
    }

    void bigPicture_showsItsOwnSizeAtTheScreensPixels() {
        // Larger than the decode limit, so the window works from a reduced
        // decode (a JPEG: a PNG that large costs seconds to write).
        const QString big = m_dir->filePath("big.jpg");
        QVERIFY(writeBytes(big, pictureBytes({3000, 2000}, "JPEG")));
        m_list->reset({WallpaperEntry{big}});
        m_window->selectPosition(0);
        const auto sizeShown = [](const QLabel *label) {
            return label->text() == QLatin1String("Image Dimensions: 3000 x 2000");
        };
        QTRY_COMPARE(labels(sizeShown), 1);
        const qreal ratio = m_window->devicePixelRatioF();
        // The picture and its preview.
        const auto sharp = [ratio](const QLabel *label) {
            return label->pixmap().size() == (QSizeF(184, 138) * ratio).toSize() &&
                   label->pixmap().devicePixelRatio() == ratio;
        };
        QCOMPARE(labels(sharp), 2);
    }

    void commands_actOnTheSelectedEntryOrAskForOne() {
        fill(4);
        QList<WallpaperEntry> entries = m_list->entries();
        m_window->selectPosition(3);
        QToolButton *up = nullptr;
        for (QToolButton *button : m_window->findChildren<QToolButton *>())
            up = button->arrowType() == Qt::UpArrow ? button : up;
        for (int click = 0; click < 4; ++click) // the last click finds the top
            up->click();
        entries.move(3, 0);
        QCOMPARE(m_list->entries(), entries);
        QCOMPARE(m_window->selectedPosition(), 0);
        auto *list = m_window->findChild<QListView *>();
        list->setFocus();
        m_window->selectPosition(1);
        // Each removal selects the entry that took the removed one's place, or the new last one.
        QTest::keyClick(list, Qt::Key_D, Qt::ControlModifier);
        QTest::keyClick(list, Qt::Key_Delete);
        m_window->removeEntry(1);
        m_window->removeEntry(-1);
        m_window->removeEntry(1);
        QCOMPARE(m_list->entries(), entries.first(1));
        QCOMPARE(m_window->selectedPosition(), 0);
        // Without a selection every command asks for one and does nothing.
        m_window->selectPosition(-1);
        QSignalSpy view(m_window.get(), &MainWindow::viewRequested);
        QSignalSpy edit(m_window.get(), &MainWindow::editRequested);
        const QStringList commands{"&Delete Selected Image from List", "&View Selected Image",
                                   "Default Editor (If one available)", "Delete from list", "View"};
        for (QAction *action : m_window->findChildren<QAction *>())
            if (commands.contains(action->text()))
                action->trigger();
        // "&View Selected Image" is both in the File menu and on the menu bar.
        QCOMPARE(m_prompter.titles(), QStringList(6, QStringLiteral("Which file ???")));
        QCOMPARE(view.size() + edit.size(), 0);
        QCOMPARE(m_list->count(), 1);
    }

    // Too narrow for the whole path: the folders are shortened, the name kept whole.
    void longPath_keepsTheFileNameFirst() {
        const QFontMetrics metrics(QApplication::font());
        const QString path = QStringLiteral("/home/someone/Pictures/Holidays 2019/beach.jpg");
        const int name = metrics.horizontalAdvance(QStringLiteral("/beach.jpg"));
        QCOMPARE(fittedPath(path, metrics, name), QStringLiteral("beach.jpg"));
        const QString text = fittedPath(path, metrics, 3 * name);
        QVERIFY2(text.startsWith("/home") && text.endsWith("/beach.jpg") &&
                     text.contains(QChar(0x2026)) && metrics.horizontalAdvance(text) <= 3 * name,
                 qPrintable(text));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
