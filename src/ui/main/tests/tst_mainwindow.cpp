#include "fittedpath.h"
#include "listautosaver.h"
#include "mainwindow.h"
#include "preview.h"
#include "scriptedprompter.h"
#include "settingspanel.h"
#include "settingsstore.h"
#include "testimages.h"
#include "wallpaperlist.h"
#include "wallpaperliststore.h"

#include <QAction>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <memory>
#include <vector>

namespace {

const QSize Screen(1024, 768);

} // namespace

Q_DECLARE_METATYPE(WallpaperEntry)

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void removeEntry_selectsTheNeighbour_data();
    void removeEntry_selectsTheNeighbour();
    void vanishedFile_isReportedRemovedAndThePreviousSelected_data();
    void vanishedFile_isReportedRemovedAndThePreviousSelected();
    void nonPicture_isRemovedSilently();
    void thousandsOfBrokenEntries_goOneAfterAnother();
    void unreachableFile_isKept();
    void moving_keepsEntriesWithTheirSettings();
    void arrows_followTheSelection();
    void panelClick_changesTheEntryWithCoupling_data();
    void panelClick_changesTheEntryWithCoupling();
    void showingAnEntry_neverChangesIt();
    void preview_isTheEnginesPreview_data();
    void preview_isTheEnginesPreview();
    void dimensions_showTheFilesOwnSize();
    void picture_isDrawnAtTheScreensPixels();
    void commandsWithoutSelection_warn_data();
    void commandsWithoutSelection_warn();
    void changeNow_withoutSelection_passesMinusOne();
    void menuAndToolbar_triggerTheSameCommands();
    void clock_showsNoSecondsItCannotKeep();
    void keys_workFromTheListAndAreClaimedOnce();
    void largerWindow_givesTheListTheRoom();
    void longPath_keepsTheFileNameFirst_data();
    void longPath_keepsTheFileNameFirst();

private:
    QString picture(const QString &name, QSize size) {
        return writePicture(QDir(m_dir->path()), name, size);
    }
    // Whether a label of the window shows the image (pictures load on a worker).
    bool showsImage(const QImage &expected) const {
        for (QLabel *label : m_window->findChildren<QLabel *>())
            if (!label->pixmap().isNull() &&
                label->pixmap().toImage().convertToFormat(QImage::Format_RGB32) == expected)
                return true;
        return false;
    }
    bool showsText(const QString &text) const {
        for (QLabel *label : m_window->findChildren<QLabel *>())
            if (label->text() == text)
                return true;
        return false;
    }
    void fill(int count) {
        QList<WallpaperEntry> entries;
        for (int i = 0; i < count; ++i)
            entries.append({picture(QStringLiteral("%1.png").arg(i), QSize(40 + i, 30)), i % 2 == 0,
                            true, i % 3 == 0});
        m_list->reset(entries);
    }
    QAction *action(const QString &text) const {
        for (QAction *candidate : m_window->findChildren<QAction *>())
            if (candidate->text() == text)
                return candidate;
        return nullptr;
    }
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<WallpaperList> m_list;
    ScriptedPrompter m_prompter;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<WallpaperListStore> m_store;
    std::unique_ptr<ListAutosaver> m_autosaver;
};

void TestMainWindow::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_list = std::make_unique<WallpaperList>();
    m_prompter = {};
    m_window = std::make_unique<MainWindow>(*m_list, m_prompter, Screen);
    m_window->show();
    // Activation selects the first entry of a list without selection: let it
    // happen now, not in the middle of a test.
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_settings =
        std::make_unique<SettingsStore>(m_dir->filePath("Rotafond.conf"), SettingsEnvironment{});
    m_store = std::make_unique<WallpaperListStore>(*m_settings);
    m_autosaver = std::make_unique<ListAutosaver>(*m_list, *m_store);
}

void TestMainWindow::cleanup() {
    m_autosaver.reset();
    m_store.reset();
    m_settings.reset();
    m_window.reset();
    m_list.reset();
}

void TestMainWindow::removeEntry_selectsTheNeighbour_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("removed");
    QTest::addColumn<int>("selected");
    QTest::newRow("first") << 3 << 0 << 0;
    QTest::newRow("middle") << 3 << 1 << 1;
    QTest::newRow("last") << 3 << 2 << 1;
    QTest::newRow("only entry") << 1 << 0 << -1;
    QTest::newRow("out of range") << 2 << 5 << 0;
    QTest::newRow("negative") << 2 << -1 << 0;
}

void TestMainWindow::removeEntry_selectsTheNeighbour() {
    QFETCH(int, count);
    QFETCH(int, removed);
    fill(count);
    m_window->selectPosition(0);
    m_window->removeEntry(removed);
    QTEST(m_window->selectedPosition(), "selected");
    QVERIFY(m_prompter.shown.isEmpty());
}

void TestMainWindow::vanishedFile_isReportedRemovedAndThePreviousSelected_data() {
    QTest::addColumn<int>("vanished");
    QTest::addColumn<int>("selectedAfter");
    QTest::newRow("second of three") << 1 << 0;
    QTest::newRow("first of three: nothing selected") << 0 << -1;
}

void TestMainWindow::vanishedFile_isReportedRemovedAndThePreviousSelected() {
    QFETCH(int, vanished);
    fill(3);
    const QString gone = m_list->at(vanished).filePath;
    QFile::remove(gone);
    m_window->selectPosition(vanished == 0 ? 2 : 0);
    m_window->selectPosition(vanished);
    QTRY_COMPARE(m_prompter.titles(), QStringList{"Rotafond"});
    QCOMPARE(m_prompter.shown.at(0).text, QStringLiteral("File does not exist anymore"));
    QCOMPARE(m_list->count(), 2);
    QVERIFY(m_list->entries().indexOf(
                WallpaperEntry{gone, vanished % 2 == 0, true, vanished % 3 == 0}) < 0);
    QTEST(m_window->selectedPosition(), "selectedAfter");
}

void TestMainWindow::nonPicture_isRemovedSilently() {
    fill(2);
    const QString fake = m_dir->filePath("text.jpg");
    QFile file(fake);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a picture at all");
    file.close();
    m_list->append({fake, true, true, false});
    m_window->selectPosition(2);
    QTRY_COMPARE(m_list->count(), 2);
    QVERIFY(m_prompter.shown.isEmpty());
    QCOMPARE(m_window->selectedPosition(), 1);
}

void TestMainWindow::thousandsOfBrokenEntries_goOneAfterAnother() {
    // Each removal selects the next broken entry; done from within the last
    // one's handling, ten thousand of them overflowed the stack.
    const QString empty = m_dir->filePath("empty.jpg");
    QFile file(empty);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QList<WallpaperEntry> entries(4000, {empty, true, true, false});
    entries.append({picture("good.png", QSize(30, 20)), true, true, false});
    m_list->reset(entries);
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

void TestMainWindow::unreachableFile_isKept() {
    fill(1);
    m_list->append({QStringLiteral("/media/not-mounted/beach.jpg"), true, true, false});
    m_window->selectPosition(1);
    QVERIFY(m_prompter.shown.isEmpty());
    QCOMPARE(m_list->count(), 2);
    QCOMPARE(m_window->selectedPosition(), 1);
}

void TestMainWindow::moving_keepsEntriesWithTheirSettings() {
    fill(4);
    const WallpaperEntry moved = m_list->at(3);
    m_window->selectPosition(3);
    auto buttons = m_window->findChildren<QToolButton *>();
    QToolButton *up = nullptr;
    for (QToolButton *button : buttons)
        if (button->arrowType() == Qt::UpArrow)
            up = button;
    QVERIFY(up);
    up->click();
    up->click();
    QCOMPARE(m_list->at(1), moved);
    QCOMPARE(m_window->selectedPosition(), 1);
    QCOMPARE(m_list->count(), 4);
    // And so does the store.
    QVERIFY(m_autosaver->flush());
    SettingsStore reread(m_dir->filePath("Rotafond.conf"), {});
    QCOMPARE(WallpaperListStore(reread).load(), m_list->entries());
}

void TestMainWindow::arrows_followTheSelection() {
    fill(3);
    QToolButton *up = nullptr;
    QToolButton *down = nullptr;
    for (QToolButton *button : m_window->findChildren<QToolButton *>()) {
        if (button->arrowType() == Qt::UpArrow)
            up = button;
        if (button->arrowType() == Qt::DownArrow)
            down = button;
    }
    m_window->selectPosition(0);
    QVERIFY(!up->isEnabled());
    QVERIFY(down->isEnabled());
    m_window->selectPosition(2);
    QVERIFY(up->isEnabled());
    QVERIFY(!down->isEnabled());
    m_window->removeEntry(2);
    m_window->removeEntry(1);
    m_window->removeEntry(0);
    // An empty list: up enabled (nothing to do), down disabled.
    QVERIFY(up->isEnabled());
    QVERIFY(!down->isEnabled());
    up->click();
    QCOMPARE(m_list->count(), 0);
}

void TestMainWindow::panelClick_changesTheEntryWithCoupling_data() {
    QTest::addColumn<WallpaperEntry>("before");
    QTest::addColumn<int>("clicked");
    QTest::addColumn<WallpaperEntry>("after");
    QTest::addColumn<bool>("kindEnabled");
    const QString p; // the path is filled in by the test
    QTest::newRow("Stretch on a tiled entry makes it single")
        << WallpaperEntry{p, true, true, true} << int(SettingsPanel::Stretch)
        << WallpaperEntry{p, true, false, false} << true;
    QTest::newRow("Tiled on a stretched entry makes it proportional")
        << WallpaperEntry{p, true, false, false} << int(SettingsPanel::Tiled)
        << WallpaperEntry{p, true, true, true} << true;
    QTest::newRow("Tiled, not resized")
        << WallpaperEntry{p, false, false, false} << int(SettingsPanel::Tiled)
        << WallpaperEntry{p, false, true, true} << false;
    QTest::newRow("No keeps the kind")
        << WallpaperEntry{p, true, false, false} << int(SettingsPanel::ResizeNo)
        << WallpaperEntry{p, false, false, false} << false;
    QTest::newRow("Yes brings the kind back")
        << WallpaperEntry{p, false, false, false} << int(SettingsPanel::ResizeYes)
        << WallpaperEntry{p, true, false, false} << true;
    QTest::newRow("Single Image") << WallpaperEntry{p, true, true, true}
                                  << int(SettingsPanel::SingleImage)
                                  << WallpaperEntry{p, true, true, false} << true;
}

void TestMainWindow::panelClick_changesTheEntryWithCoupling() {
    QFETCH(WallpaperEntry, before);
    QFETCH(int, clicked);
    QFETCH(WallpaperEntry, after);
    before.filePath = after.filePath = picture("p.png", QSize(64, 48));
    m_list->reset({before});
    m_window->selectPosition(0);
    auto *panel = m_window->findChild<SettingsPanel *>();
    // Only the click itself is seen toggling: the rest of the panel follows
    // in one step, with no half-updated state for anyone to draw.
    std::vector<std::unique_ptr<QSignalSpy>> toggles;
    for (int option = SettingsPanel::Tiled; option <= SettingsPanel::Stretch; ++option)
        toggles.push_back(std::make_unique<QSignalSpy>(panel->option(SettingsPanel::Option(option)),
                                                       &QAbstractButton::toggled));
    panel->option(SettingsPanel::Option(clicked))->click();
    int toggled = 0;
    for (const auto &spy : toggles)
        toggled += int(spy->count());
    QVERIFY(toggled <= 2);
    QCOMPARE(m_list->at(0), after);
    QTEST(panel->option(SettingsPanel::Proportional)->isEnabled(), "kindEnabled");
    QCOMPARE(panel->option(SettingsPanel::Tiled)->isChecked(), after.tiled);
    QCOMPARE(panel->option(SettingsPanel::Stretch)->isChecked(), !after.proportional);
}

void TestMainWindow::showingAnEntry_neverChangesIt() {
    // Flags only the store can produce: tiled and stretched, or tiled unscaled non-proportional.
    const QList<WallpaperEntry> entries{{picture("a.png", QSize(30, 20)), true, false, true},
                                        {picture("b.png", QSize(30, 20)), false, false, true},
                                        {picture("c.png", QSize(30, 20)), true, true, false}};
    m_list->reset(entries);
    for (int round = 0; round < 2; ++round)
        for (int i : {0, 1, 2, 1, 0})
            m_window->selectPosition(i);
    QCOMPARE(m_list->entries(), entries);
}

void TestMainWindow::preview_isTheEnginesPreview_data() {
    QTest::addColumn<bool>("resize");
    QTest::addColumn<bool>("proportional");
    QTest::addColumn<bool>("tiled");
    QTest::addColumn<QString>("mode");
    QTest::newRow("TN") << false << true << true << "TN";
    QTest::newRow("TP") << true << true << true << "TP";
    QTest::newRow("SN") << false << true << false << "SN";
    QTest::newRow("SP") << true << true << false << "SP";
    QTest::newRow("SS") << true << false << false << "SS";
    // The engine stretches these, so the preview shows them stretched.
    QTest::newRow("tiled but stretched") << true << false << true << "SS";
}

void TestMainWindow::preview_isTheEnginesPreview() {
    QFETCH(bool, resize);
    QFETCH(bool, proportional);
    QFETCH(bool, tiled);
    QFETCH(QString, mode);
    QImage image(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            image.setPixel(x, y, qRgb(x % 256, y, 99));
    const QString path = m_dir->filePath("pattern.png");
    QVERIFY(image.save(path));
    m_list->reset({{path, resize, proportional, tiled}});
    m_window->selectPosition(0);
    QTRY_VERIFY(showsImage(drawPreviewEffect(image, image.size(), mode, Screen)));
}

void TestMainWindow::dimensions_showTheFilesOwnSize() {
    // Larger than the decode limit, so the window works from a reduced decode.
    m_list->reset({{picture("big.png", QSize(3000, 2000)), true, true, false}});
    m_window->selectPosition(0);
    QTRY_VERIFY(showsText(QStringLiteral("Image Dimensions: 3000 x 2000")));
}

void TestMainWindow::picture_isDrawnAtTheScreensPixels() {
    m_list->reset({{picture("wide.png", QSize(1000, 500)), true, true, false}});
    m_window->selectPosition(0);
    const qreal ratio = m_window->devicePixelRatioF();
    const auto sharp = [this, ratio] {
        const QList<QLabel *> labels = m_window->findChildren<QLabel *>();
        return std::any_of(labels.cbegin(), labels.cend(), [ratio](QLabel *label) {
            const QPixmap shown = label->pixmap();
            return shown.size() == (QSizeF(184, 138) * ratio).toSize() &&
                   shown.devicePixelRatio() == ratio;
        });
    };
    QTRY_VERIFY(sharp());
}

void TestMainWindow::commandsWithoutSelection_warn_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("delete") << "&Delete Selected Image from List";
    QTest::newRow("view") << "&View Selected Image";
    QTest::newRow("edit") << "Default Editor (If one available)";
    QTest::newRow("toolbar delete") << "Delete from list";
    QTest::newRow("toolbar view") << "View";
}

void TestMainWindow::commandsWithoutSelection_warn() {
    QFETCH(QString, command);
    QSignalSpy view(m_window.get(), &MainWindow::viewRequested);
    QSignalSpy edit(m_window.get(), &MainWindow::editRequested);
    QAction *trigger = action(command);
    QVERIFY(trigger);
    trigger->trigger();
    QCOMPARE(m_prompter.titles(), QStringList{"Which file ???"});
    QCOMPARE(m_prompter.shown.at(0).text,
             QStringLiteral("You must first select a file in the list!"));
    QCOMPARE(view.size() + edit.size(), 0);
}

void TestMainWindow::changeNow_withoutSelection_passesMinusOne() {
    fill(2);
    m_window->selectPosition(-1);
    QSignalSpy changeNow(m_window.get(), &MainWindow::changeNowRequested);
    action("Change Wallpaper &Now to Selected Image ")->trigger();
    QCOMPARE(changeNow.size(), 1);
    QCOMPARE(changeNow.at(0).at(0).toInt(), -1);
}

void TestMainWindow::menuAndToolbar_triggerTheSameCommands() {
    fill(3);
    m_window->selectPosition(1);
    const QString second = m_list->at(1).filePath;
    QSignalSpy view(m_window.get(), &MainWindow::viewRequested);
    QSignalSpy changeNow(m_window.get(), &MainWindow::changeNowRequested);
    QSignalSpy browse(m_window.get(), &MainWindow::browseRequested);
    QSignalSpy defaults(m_window.get(), &MainWindow::defaultsRequested);
    action("&View Selected Image")->trigger();
    action("View")->trigger();
    action("Change Wallpaper &Now to Selected Image ")->trigger();
    action("Change Now")->trigger();
    action("&Add an Image to List")->trigger();
    action("Browse")->trigger();
    action("Defaults...")->trigger();
    action("Defaults")->trigger();
    QCOMPARE(view.size(), 2);
    QCOMPARE(view.at(1).at(0).toString(), second);
    QCOMPARE(changeNow.at(0).at(0).toInt(), 1);
    QCOMPARE(changeNow.at(1).at(0).toInt(), 1);
    QCOMPARE(browse.size(), 2);
    QCOMPARE(defaults.at(0).at(0).toBool(), false); // the Tools menu opens it modeless
    QCOMPARE(defaults.at(1).at(0).toBool(), true);  // the toolbar, modal
    action("Delete from list")->trigger();
    QCOMPARE(m_list->count(), 2);
    QVERIFY(!m_list->entries().contains(WallpaperEntry{second, false, true, false}));
}

void TestMainWindow::clock_showsNoSecondsItCannotKeep() {
    // Qt's C locale writes short times with seconds; the clock wakes once a minute.
    QLocale::setDefault(QLocale::c());
    m_window->hide();
    m_window->show();
    QLocale::setDefault(QLocale::system());
    const QRegularExpression minutesOnly(QStringLiteral("   \\d\\d:\\d\\d$"));
    bool found = false;
    for (QLabel *label : m_window->findChildren<QLabel *>())
        found = found || minutesOnly.match(label->text()).hasMatch();
    QVERIFY(found);
}

void TestMainWindow::keys_workFromTheListAndAreClaimedOnce() {
    fill(3);
    auto *list = m_window->findChild<QListView *>();
    list->setFocus();
    m_window->selectPosition(1);
    const WallpaperEntry second = m_list->at(1);
    QTest::keyClick(list, Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(m_list->count(), 2);
    QVERIFY(m_list->entries().indexOf(second) < 0);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(m_list->count(), 1);

    // Every Alt+letter reaches one thing only.
    QStringList mnemonics;
    auto collect = [&mnemonics](const QString &text) {
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (at >= 0 && at + 1 < text.size())
            mnemonics.append(text.at(at + 1).toLower());
    };
    for (QAction *action : m_window->menuBar()->actions())
        collect(action->text());
    for (QAbstractButton *button : m_window->findChildren<QAbstractButton *>())
        collect(button->text());
    for (const QString &mnemonic : mnemonics)
        QVERIFY2(mnemonics.count(mnemonic) == 1, qPrintable(mnemonic));
}

void TestMainWindow::largerWindow_givesTheListTheRoom() {
    fill(1);
    m_list->append({"/home/someone/Pictures/Holidays/2019/a very long folder name/IMG_0001.jpg",
                    true, true, false});
    auto *list = m_window->findChild<QListView *>();
    const QSize designed = m_window->size();
    const int listWidth = list->width();
    m_window->resize(designed.width() - 100, designed.height() - 100);
    QCOMPARE(m_window->size(), designed); // the designed size is the smallest
    m_window->resize(designed.width() + 400, designed.height() + 200);
    QTRY_VERIFY(list->width() >= listWidth + 350);
    // Long paths lose their middle, never the file's name.
    QCOMPARE(list->textElideMode(), Qt::ElideMiddle);
    QCOMPARE(list->visualRect(m_list->index(0)).width(), list->viewport()->width());
}

void TestMainWindow::longPath_keepsTheFileNameFirst_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("widthInNames"); // the row's width, in widths of the file name
    QTest::addColumn<QString>("shown");    // "" : the folders shortened, the name whole
    const QString path = QStringLiteral("/home/someone/Pictures/Holidays 2019/beach.jpg");
    QTest::newRow("fits") << path << 20 << path;
    QTest::newRow("folders shortened") << path << 3 << "";
    QTest::newRow("only the name") << path << 1 << "beach.jpg";
    QTest::newRow("no folder") << "beach.jpg" << 0 << "beach.jpg";
}

void TestMainWindow::longPath_keepsTheFileNameFirst() {
    QFETCH(QString, path);
    QFETCH(int, widthInNames);
    QFETCH(QString, shown);
    const QFontMetrics metrics(QApplication::font());
    const int width = widthInNames * metrics.horizontalAdvance(QStringLiteral("/beach.jpg"));
    const QString text = fittedPath(path, metrics, width);
    if (!shown.isEmpty()) {
        QCOMPARE(text, shown);
        return;
    }
    QVERIFY(text.endsWith(QLatin1String("/beach.jpg")));
    QVERIFY(text.startsWith(QLatin1String("/home")));
    QVERIFY(text.contains(QChar(0x2026)));
    QVERIFY(metrics.horizontalAdvance(text) <= width);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
