#include "defaultsdialog.h"
#include "settingsstore.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

class TestDefaultsDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void spinRules_data();
    void spinRules();
    void threshold_data();
    void threshold();
    void storedStretch_showsSingleImageAndSavesIt();
    void resizeNo_keepsTheStoredKind();
    void typedThreshold_countsBeforeSaving();
    void typedMinutes_countWhenTheUserIsDone();
    void beep_isStoredAtOnce();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<DefaultsDialog> m_dialog;
};

void TestDefaultsDialog::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_settings = std::make_unique<SettingsStore>(m_dir->filePath("Rotafond.conf"),
                                                 SettingsEnvironment{QSizeF(1024, 768), {}});
    m_dialog = std::make_unique<DefaultsDialog>(*m_settings, QSize(1024, 768));
    m_dialog->load();
}

void TestDefaultsDialog::spinRules_data() {
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("expectedHours");
    QTest::addColumn<int>("expectedMinutes");
    QTest::newRow("3:59 + 1 min carries") << 3 << 59 << "minutes" << 1 << 4 << 0;
    QTest::newRow("9:59 + 1 min stays") << 9 << 59 << "minutes" << 1 << 9 << 59;
    QTest::newRow("0:01 - 1 min stays 1") << 0 << 1 << "minutes" << -1 << 0 << 1;
    QTest::newRow("1:00 - 1 h gives 0:01") << 1 << 0 << "hours" << -1 << 0 << 1;
    QTest::newRow("0:59 + 1 min gives 1:00") << 0 << 59 << "minutes" << 1 << 1 << 0;
    QTest::newRow("57 + 5 carries") << 2 << 57 << "minutes" << 5 << 3 << 0;
    QTest::newRow("9 h is the top") << 9 << 30 << "hours" << 1 << 9 << 30;
    QTest::newRow("1:00 - 1 min cannot borrow") << 1 << 0 << "minutes" << -1 << 1 << 0;
}

void TestDefaultsDialog::spinRules() {
    QFETCH(int, hours);
    QFETCH(int, minutes);
    QFETCH(QString, box);
    QFETCH(int, step);
    QFETCH(int, expectedHours);
    QFETCH(int, expectedMinutes);
    m_dialog->hoursBox()->setValue(hours);
    m_dialog->minutesBox()->setValue(minutes);
    QSignalSpy interval(m_dialog.get(), &DefaultsDialog::changeIntervalChanged);
    QSpinBox *spin = box == "hours" ? m_dialog->hoursBox() : m_dialog->minutesBox();
    spin->setValue(std::clamp(spin->value() + step, spin->minimum(), spin->maximum()));
    QCOMPARE(m_dialog->hoursBox()->value(), expectedHours);
    QCOMPARE(m_dialog->minutesBox()->value(), expectedMinutes);
    const int minutesTotal = expectedHours * 60 + expectedMinutes;
    if (expectedHours != hours || expectedMinutes != minutes) {
        QVERIFY(!interval.isEmpty());
        QCOMPARE(interval.last().at(0).toInt(), minutesTotal);
        // Both keys reach the store at once, not only when the dialog closes.
        QCOMPARE(m_settings->read(SettingsKeys::TimerHours), expectedHours);
        QCOMPARE(m_settings->read(SettingsKeys::TimerMins), expectedMinutes);
    }
}

void TestDefaultsDialog::threshold_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    // clang-format off
    QTest::newRow("not a number") << "12a" << "";
    QTest::newRow("wider than the screen") << "5000" << "1024";
    QTest::newRow("fraction kept") << "682.5" << "682.5";
    QTest::newRow("zero passes") << "0" << "0";
    QTest::newRow("negative passes") << "-5" << "-5";
    QTest::newRow("emptied") << "" << "";
    // clang-format on
}

void TestDefaultsDialog::threshold() {
    QFETCH(QString, typed);
    m_dialog->widthBox()->setText(typed);
    QTEST(m_dialog->widthBox()->text(), "shown");
}

void TestDefaultsDialog::storedStretch_showsSingleImageAndSavesIt() {
    m_settings->write(SettingsKeys::TiledSmall, true);
    m_settings->write(SettingsKeys::ResizeSmall, true);
    m_settings->write(SettingsKeys::PropSmall, false);
    DefaultsDialog dialog(*m_settings, QSize(1024, 768));
    dialog.load();
    QCOMPARE(dialog.kind(true)->checkedId(), int(DefaultsDialog::StretchId));
    QCOMPARE(dialog.tiling(true)->checkedId(), int(DefaultsDialog::SingleId));
    dialog.accept();
    QCOMPARE(m_settings->read(SettingsKeys::TiledSmall), false);
}

void TestDefaultsDialog::resizeNo_keepsTheStoredKind() {
    m_settings->write(SettingsKeys::PropLarge, false);
    DefaultsDialog dialog(*m_settings, QSize(1024, 768));
    dialog.load();
    dialog.resizing(false)->button(DefaultsDialog::NoId)->click();
    QVERIFY(!dialog.kind(false)->button(DefaultsDialog::StretchId)->isEnabled());
    dialog.accept();
    QCOMPARE(m_settings->read(SettingsKeys::ResizeLarge), false);
    QCOMPARE(m_settings->read(SettingsKeys::PropLarge), false);
}

void TestDefaultsDialog::typedThreshold_countsBeforeSaving() {
    m_dialog->widthBox()->setText(QStringLiteral("640"));
    QCOMPARE(m_dialog->newEntryDefaults().thresholdWidth, QStringLiteral("640"));
    QCOMPARE(m_settings->read(SettingsKeys::ThreshHoldWidth), QStringLiteral("512"));
    m_dialog->accept();
    QCOMPARE(m_settings->read(SettingsKeys::ThreshHoldWidth), QStringLiteral("640"));
}

void TestDefaultsDialog::typedMinutes_countWhenTheUserIsDone() {
    m_dialog->hoursBox()->setValue(0);
    m_dialog->minutesBox()->setValue(30);
    m_dialog->minutesBox()->selectAll();
    QTest::keyClicks(m_dialog->minutesBox(), QStringLiteral("05"));
    QTest::keyClick(m_dialog->minutesBox(), Qt::Key_Return);
    QCOMPARE(m_dialog->minutesBox()->value(), 5);
    QCOMPARE(m_settings->read(SettingsKeys::TimerMins), 5);
}

void TestDefaultsDialog::beep_isStoredAtOnce() {
    QSignalSpy toggled(m_dialog.get(), &DefaultsDialog::beepToggled);
    m_dialog->setBeep(false);
    QCOMPARE(m_settings->read(SettingsKeys::Beep), 0);
    QCOMPARE(toggled.size(), 1);
    DefaultsDialog reopened(*m_settings, QSize(1024, 768));
    reopened.load();
    QSignalSpy again(&reopened, &DefaultsDialog::beepToggled);
    reopened.setBeep(false);
    QCOMPARE(again.size(), 0);
}

QTEST_MAIN(TestDefaultsDialog)
#include "tst_defaultsdialog.moc"
