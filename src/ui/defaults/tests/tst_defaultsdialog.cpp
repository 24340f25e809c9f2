#include "defaultsdialog.h"
#include "settingsstore.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

class TestDefaultsDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<DefaultsDialog> m_dialog;

    void open() {
        m_dialog = std::make_unique<DefaultsDialog>(*m_settings, QSize(1024, 768));
        m_dialog->load();
    }

private Q_SLOTS:
    void init() {
        m_dialog.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<SettingsStore>(m_dir->filePath("Rotafond.conf"),
                                                     SettingsEnvironment{QSizeF(1024, 768), {}});
        open();
    }

    void interval_staysBetweenAMinuteAndNineHours59_data() {
        QTest::addColumn<QTime>("before");
        QTest::addColumn<bool>("inHours");
        QTest::addColumn<int>("step");
        QTest::addColumn<QTime>("after");
        QTest::newRow("3:59 + 1 min carries") << QTime(3, 59) << false << 1 << QTime(4, 0);
        QTest::newRow("9:59 + 1 min stays") << QTime(9, 59) << false << 1 << QTime(9, 59);
        QTest::newRow("0:01 - 1 min stays") << QTime(0, 1) << false << -1 << QTime(0, 1);
        QTest::newRow("1:00 - 1 h gives 0:01") << QTime(1, 0) << true << -1 << QTime(0, 1);
    }

    void interval_staysBetweenAMinuteAndNineHours59() {
        QFETCH(QTime, before);
        QFETCH(bool, inHours);
        QFETCH(int, step);
        QFETCH(QTime, after);
        m_dialog->hoursBox()->setValue(before.hour());
        m_dialog->minutesBox()->setValue(before.minute());
        QSignalSpy changed(m_dialog.get(), &DefaultsDialog::changeIntervalChanged);
        (inHours ? m_dialog->hoursBox() : m_dialog->minutesBox())->stepBy(step);
        QCOMPARE(QTime(m_dialog->hoursBox()->value(), m_dialog->minutesBox()->value()), after);
        QCOMPARE(changed.value(changed.size() - 1).value(0).toInt(),
                 after.msecsSinceStartOfDay() / 60000);
        // Both reach the store at once, not only when the dialog closes.
        QCOMPARE(QTime(m_settings->read(SettingsKeys::TimerHours),
                       m_settings->read(SettingsKeys::TimerMins)),
                 after);
    }

    void threshold_isANumberNoLargerThanThePrimaryScreen_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        // clang-format off
        QTest::newRow("not a number") << "12a" << "" << "";
        QTest::newRow("wider than the screen is high") << "900" << "900" << "768";
        QTest::newRow("negative fraction") << "-5.5" << "-5.5" << "-5.5";
        // clang-format on
    }

    void threshold_isANumberNoLargerThanThePrimaryScreen() {
        QFETCH(QString, typed);
        m_dialog->widthBox()->setText(typed);
        m_dialog->heightBox()->setText(typed);
        QTEST(m_dialog->widthBox()->text(), "width");
        QTEST(m_dialog->heightBox()->text(), "height");
    }

    void storedValues_areShownAndSaved() {
        m_settings->write(SettingsKeys::TiledSmall, true);
        m_settings->write(SettingsKeys::ResizeSmall, true);
        m_settings->write(SettingsKeys::PropSmall, false);
        m_settings->write(SettingsKeys::PropLarge, false);
        open();
        // A stored tiled stretch shows as the single image that it is.
        QCOMPARE(m_dialog->kind(true)->checkedId(), int(DefaultsDialog::StretchId));
        QCOMPARE(m_dialog->tiling(true)->checkedId(), int(DefaultsDialog::SingleId));
        // "No" disables the kind of resize and keeps the stored one.
        m_dialog->resizing(false)->button(DefaultsDialog::NoId)->click();
        QVERIFY(!m_dialog->kind(false)->button(DefaultsDialog::StretchId)->isEnabled());
        // A typed threshold counts for new entries at once and is saved on closing.
        m_dialog->widthBox()->setText(QStringLiteral("640"));
        QCOMPARE(m_dialog->newEntryDefaults().thresholdWidth, QStringLiteral("640"));
        QCOMPARE(m_settings->read(SettingsKeys::ThreshHoldWidth), QStringLiteral("512"));
        // Typed minutes count when the user is done, not at the "0" on the way to "05".
        m_dialog->minutesBox()->setValue(30);
        m_dialog->minutesBox()->selectAll();
        QTest::keyClicks(m_dialog->minutesBox(), QStringLiteral("05\r"));
        QCOMPARE(m_settings->read(SettingsKeys::TimerMins), 5);
        // The beep switch is stored at once.
        m_dialog->setBeep(false);
        QCOMPARE(m_settings->read(SettingsKeys::Beep), 0);
        m_dialog->accept();
        QCOMPARE(m_settings->read(SettingsKeys::TiledSmall), false);
        QCOMPARE(m_settings->read(SettingsKeys::ResizeLarge), false);
        QCOMPARE(m_settings->read(SettingsKeys::PropLarge), false);
        QCOMPARE(m_settings->read(SettingsKeys::ThreshHoldWidth), QStringLiteral("640"));
    }
};

QTEST_MAIN(TestDefaultsDialog)
#include "tst_defaultsdialog.moc"
