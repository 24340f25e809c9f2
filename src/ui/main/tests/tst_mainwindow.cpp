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
#include <QApplication>
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
#include <QToolButton>

#include <algorithm>
#include <functional>

Q_DECLARE_METATYPE(WallpaperEntry)

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void removeEntry_selectsTheNeighbour_data();
    void removeEntry_selectsTheNeighbour();
    void brokenEntry_isRemovedWhenSelected_data();
    void brokenEntry_isRemovedWhenSelected();
    void thousandsOfBrokenEntries_goOneAfterAnother();
    void moving_keepsEntriesWithTheirSettings();
    void panelClick_changesTheEntryWithCoupling_data();
    void panelClick_changesTheEntryWithCoupling();
    void showingAnEntry_neverChangesIt();
    void preview_isTheEnginesPreview_data();
    void preview_isTheEnginesPreview();
    void dimensions_showTheFilesOwnSize();
    void picture_isDrawnAtTheScreensPixels();
    void commandsWithoutSelection_warn_data();
    void commandsWithoutSelection_warn();
    void clock_showsNoSecondsItCannotKeep();
    void keys_workFromTheListAndAreClaimedOnce();
    void longPath_keepsTheFileNameFirst_data();
    void longPath_keepsTheFileNameFirst();

private:
    QString picture(const QString &name, QSize size) {
        return writePicture(QDir(m_dir->path()), name, size);
    }
    // Whether a label of the window satisfies shows (pictures load on a worker).
    bool anyLabel(const std::function<bool(const QLabel *)> &shows) const {
        const QList<QLabel *> labels = m_window->findChildren<QLabel *>();
        return std::any_of(labels.cbegin(), labels.cend(), shows);
    }
    void fill(int count) {
        QList<WallpaperEntry> entries;
        for (int i = 0; i < count; ++i)
            entries.append({picture(QStringLiteral("%1.png").arg(i), QSize(40 + i, 30)), i % 2 == 0,
                            true, i % 3 == 0});
        m_list->reset(entries);
    }

    const QSize m_screen{1024, 768};
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<WallpaperList> m_list;
    ScriptedPrompter m_prompter;
    std::unique_ptr<MainWindow> m_window;
};

void TestMainWindow::init() {
    m_window.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    m_list = std::make_unique<WallpaperList>();
    m_prompter = {};
    m_window = std::make_unique<MainWindow>(*m_list, m_prompter, m_screen);
    m_window->show();
    // Activation selects the first entry of a list without selection: let it
    // happen now, not in the middle of a test.
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
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

void TestMainWindow::brokenEntry_isRemovedWhenSelected_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("broken");
    QTest::addColumn<int>("boxes");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<int>("selectedAfter");
    // A vanished file is reported and the entry before it selected.
    QTest::newRow("vanished, second") << "vanished" << 1 << 1 << false << 0;
    QTest::newRow("vanished, first") << "vanished" << 0 << 1 << false << -1;
    QTest::newRow("not a picture: silently") << "text" << 3 << 0 << false << 2;
    // A disc that is not mounted may come back.
    QTest::newRow("unreachable: kept") << "unreachable" << 3 << 0 << true << 3;
}

void TestMainWindow::brokenEntry_isRemovedWhenSelected() {
    QFETCH(QString, fault);
    QFETCH(int, broken);
    fill(3);
    if (fault == "vanished") {
        QVERIFY(QFile::remove(m_list->at(broken).filePath));
    } else {
        QString path = QStringLiteral("/media/not-mounted/beach.jpg");
        if (fault == "text") {
            QFile file(path = m_dir->filePath("text.jpg"));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a picture at all") > 0);
        }
        m_list->append({path, true, true, false});
    }
    const WallpaperEntry entry = m_list->at(broken);
    m_window->selectPosition(broken == 0 ? 2 : 0);
    m_window->selectPosition(broken);
    QFETCH(bool, kept);
    QTRY_COMPARE(m_list->entries().contains(entry), kept);
    QTEST(int(m_prompter.shown.size()), "boxes");
    QTEST(m_window->selectedPosition(), "selectedAfter");
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

void TestMainWindow::moving_keepsEntriesWithTheirSettings() {
    SettingsStore settings(m_dir->filePath("Rotafond.conf"), {});
    WallpaperListStore store(settings);
    ListAutosaver autosaver(*m_list, store);
    fill(4);
    const WallpaperEntry moved = m_list->at(3);
    m_window->selectPosition(3);
    QToolButton *up = nullptr;
    for (QToolButton *button : m_window->findChildren<QToolButton *>())
        up = button->arrowType() == Qt::UpArrow ? button : up;
    for (int click = 0; click < 4; ++click) // the last click finds the top
        up->click();
    QCOMPARE(m_list->at(0), moved);
    QCOMPARE(m_window->selectedPosition(), 0);
    QCOMPARE(m_list->count(), 4);
    // And so does the store.
    QVERIFY(autosaver.flush());
    SettingsStore reread(m_dir->filePath("Rotafond.conf"), {});
    QCOMPARE(WallpaperListStore(reread).load(), m_list->entries());
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
    for (int i : {0, 1, 2, 1, 0, 2})
        m_window->selectPosition(i);
    QCOMPARE(m_list->entries(), entries);
}

void TestMainWindow::preview_isTheEnginesPreview_data() {
    QTest::addColumn<WallpaperEntry>("entry");
    QTest::addColumn<QString>("mode");
    QTest::newRow("TN") << WallpaperEntry{{}, false, true, true} << "TN";
    QTest::newRow("TP") << WallpaperEntry{{}, true, true, true} << "TP";
    QTest::newRow("SN") << WallpaperEntry{{}, false, true, false} << "SN";
    QTest::newRow("SP") << WallpaperEntry{{}, true, true, false} << "SP";
    QTest::newRow("SS") << WallpaperEntry{{}, true, false, false} << "SS";
    // The engine stretches these, so the preview shows them stretched.
    QTest::newRow("tiled but stretched") << WallpaperEntry{{}, true, false, true} << "SS";
}

void TestMainWindow::preview_isTheEnginesPreview() {
    QFETCH(WallpaperEntry, entry);
    QFETCH(QString, mode);
    const QImage image = gradientPicture(QSize(300, 200));
    entry.filePath = m_dir->filePath("pattern.png");
    QVERIFY(image.save(entry.filePath));
    m_list->reset({entry});
    m_window->selectPosition(0);
    const QImage expected = drawPreviewEffect(image, image.size(), mode, m_screen);
    QTRY_VERIFY(anyLabel([&](const QLabel *label) {
        return label->pixmap().toImage().convertToFormat(QImage::Format_RGB32) == expected;
    }));
}

void TestMainWindow::dimensions_showTheFilesOwnSize() {
    // Larger than the decode limit, so the window works from a reduced decode
    // (a JPEG: a PNG that large costs seconds to write).
    QFile big(m_dir->filePath("big.jpg"));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.write(pictureBytes({3000, 2000}, "JPEG")) > 0);
    big.close();
    m_list->reset({{big.fileName(), true, true, false}});
    m_window->selectPosition(0);
    QTRY_VERIFY(anyLabel([](const QLabel *label) {
        return label->text() == QLatin1String("Image Dimensions: 3000 x 2000");
    }));
}

void TestMainWindow::picture_isDrawnAtTheScreensPixels() {
    m_list->reset({{picture("wide.png", QSize(1000, 500)), true, true, false}});
    m_window->selectPosition(0);
    const qreal ratio = m_window->devicePixelRatioF();
    // The picture and its preview.
    const auto sharpLabels = [this, ratio] {
        const QList<QLabel *> labels = m_window->findChildren<QLabel *>();
        return int(std::count_if(labels.cbegin(), labels.cend(), [ratio](const QLabel *label) {
            return label->pixmap().size() == (QSizeF(184, 138) * ratio).toSize() &&
                   label->pixmap().devicePixelRatio() == ratio;
        }));
    };
    QTRY_COMPARE(sharpLabels(), 2);
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
    fill(2);
    m_window->selectPosition(-1);
    QSignalSpy view(m_window.get(), &MainWindow::viewRequested);
    QSignalSpy edit(m_window.get(), &MainWindow::editRequested);
    const QList<QAction *> actions = m_window->findChildren<QAction *>();
    const auto action = std::find_if(actions.cbegin(), actions.cend(),
                                     [&](QAction *each) { return each->text() == command; });
    QVERIFY(action != actions.cend());
    (*action)->trigger();
    QCOMPARE(m_prompter.titles(), QStringList{"Which file ???"});
    QCOMPARE(view.size() + edit.size(), 0);
    QCOMPARE(m_list->count(), 2);
}

void TestMainWindow::clock_showsNoSecondsItCannotKeep() {
    // Qt's C locale writes short times with seconds; the clock wakes once a minute.
    QLocale::setDefault(QLocale::c());
    m_window->hide();
    m_window->show();
    QLocale::setDefault(QLocale::system());
    const QRegularExpression minutesOnly(QStringLiteral("   \\d\\d:\\d\\d$"));
    QVERIFY(
        anyLabel([&](const QLabel *label) { return minutesOnly.match(label->text()).hasMatch(); }));
}

void TestMainWindow::keys_workFromTheListAndAreClaimedOnce() {
    fill(3);
    auto *list = m_window->findChild<QListView *>();
    list->setFocus();
    m_window->selectPosition(1);
    const WallpaperEntry second = m_list->at(1);
    QTest::keyClick(list, Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(m_list->count(), 2);
    QVERIFY(!m_list->entries().contains(second));
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(m_list->count(), 1);

    // Every Alt+letter reaches one thing only.
    QStringList texts;
    for (QAction *action : m_window->menuBar()->actions())
        texts.append(action->text());
    for (QAbstractButton *button : m_window->findChildren<QAbstractButton *>())
        texts.append(button->text());
    QStringList mnemonics;
    for (const QString &text : texts)
        if (const qsizetype at = text.indexOf(QLatin1Char('&')); at >= 0 && at + 1 < text.size())
            mnemonics.append(text.at(at + 1).toLower());
    for (const QString &mnemonic : mnemonics)
        QVERIFY2(mnemonics.count(mnemonic) == 1, qPrintable(mnemonic));
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
