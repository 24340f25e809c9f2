#include "defaultsdialog.h"

#include "settingsstore.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// The value of the plain number the text starts with (blanks, a sign, digits,
// one "."), 0 when there is none.
double leadingNumber(const QString &text) {
    static const QRegularExpression number(QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+))"));
    const QRegularExpressionMatch match = number.match(text);
    return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
}

QButtonGroup *pair(QWidget *owner, QGridLayout *layout, int row, int firstId, const char *first,
                   const char *second, bool sideBySide) {
    auto *group = new QButtonGroup(owner);
    auto *a = new QRadioButton(QString::fromLatin1(first));
    auto *b = new QRadioButton(QString::fromLatin1(second));
    group->addButton(a, firstId);
    group->addButton(b, firstId + 1);
    layout->addWidget(a, row, 1);
    layout->addWidget(b, sideBySide ? row : row + 1, sideBySide ? 2 : 1);
    return group;
}

} // namespace

DefaultsDialog::DefaultsDialog(SettingsStore &settings, QSize screenSize, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_settings(settings)
    , m_screenSize(screenSize)
    , m_hours(new QSpinBox)
    , m_minutes(new QSpinBox)
    , m_width(new QLineEdit(QStringLiteral("1000")))
    , m_height(new QLineEdit(QStringLiteral("0")))
    , m_beep(new QCheckBox(QStringLiteral("Beep on Wallpaper Change (effect on all wallpapers)"))) {
    setWindowTitle(QStringLiteral("Wallpaper Defaults"));
    auto *layout = new QVBoxLayout(this);

    layout->addLayout(buildIntervalRow());
    layout->addWidget(buildThresholdBox());
    auto *columns = new QHBoxLayout;
    columns->addWidget(buildColumn(true));
    columns->addWidget(buildColumn(false));
    layout->addLayout(columns);
    m_beep->setChecked(true);
    layout->addWidget(m_beep);
    auto *ok = new QPushButton(QStringLiteral("&OK"));
    ok->setDefault(true);
    layout->addWidget(ok, 0, Qt::AlignHCenter);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_minutes, &QSpinBox::valueChanged, this, &DefaultsDialog::minutesChanged);
    connect(m_hours, &QSpinBox::valueChanged, this, &DefaultsDialog::hoursChanged);
    connect(m_width, &QLineEdit::textChanged, this,
            [this] { checkThreshold(m_width, m_screenSize.width()); });
    connect(m_height, &QLineEdit::textChanged, this,
            [this] { checkThreshold(m_height, m_screenSize.height()); });
    connect(m_beep, &QCheckBox::toggled, this, [this](bool on) {
        m_settings.write(SettingsKeys::Beep, on ? 1 : 0);
        Q_EMIT beepToggled(on);
    });
}

QLayout *DefaultsDialog::buildIntervalRow() {
    auto *interval = new QHBoxLayout;
    interval->addWidget(new QLabel(QStringLiteral("Change wallpaper once every:")));
    m_hours->setRange(0, 9);
    m_hours->setValue(9);
    m_minutes->setRange(0, 60); // 60 only for an instant: it carries into the hours
    // The interval rules judge the value the user ends with, not the "0" on
    // the way to "05": typed values count on Enter or when the focus leaves.
    m_hours->setKeyboardTracking(false);
    m_minutes->setKeyboardTracking(false);
    interval->addWidget(m_hours);
    interval->addWidget(new QLabel(QStringLiteral("Hour(s)")));
    interval->addWidget(m_minutes);
    interval->addWidget(new QLabel(QStringLiteral("Min(s)")));
    interval->addStretch();
    return interval;
}

QWidget *DefaultsDialog::buildThresholdBox() {
    auto *threshold = new QGroupBox(QStringLiteral("Threshhold"));
    auto *row = new QGridLayout(threshold);
    row->addWidget(new QLabel(QStringLiteral("Width")), 0, 2, Qt::AlignCenter);
    row->addWidget(new QLabel(QStringLiteral("Height")), 0, 4, Qt::AlignCenter);
    row->addWidget(new QLabel(QStringLiteral("Small Images")), 1, 0);
    row->addWidget(new QLabel(QStringLiteral("<")), 1, 1);
    row->addWidget(m_width, 1, 2);
    row->addWidget(new QLabel(QStringLiteral("X")), 1, 3);
    row->addWidget(m_height, 1, 4);
    row->addWidget(new QLabel(QStringLiteral("<")), 1, 5);
    row->addWidget(new QLabel(QStringLiteral("Large Images")), 1, 6);
    return threshold;
}

QWidget *DefaultsDialog::buildColumn(bool small) {
    auto *box =
        new QGroupBox(small ? QStringLiteral("Small Images") : QStringLiteral("Large Images"));
    auto *grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("Tiling:")), 0, 0);
    QButtonGroup *tiling = pair(box, grid, 0, TiledId, "Tiled", "Single Image", false);
    grid->addWidget(new QLabel(QStringLiteral("Resizing:")), 2, 0);
    QButtonGroup *resizing = pair(box, grid, 2, YesId, "Yes", "No", true);
    QButtonGroup *kind = pair(box, grid, 3, ProportionalId, "Proportional", "Stretch", false);
    (small ? m_tilingSmall : m_tilingLarge) = tiling;
    (small ? m_resizeSmall : m_resizeLarge) = resizing;
    (small ? m_kindSmall : m_kindLarge) = kind;
    connect(resizing, &QButtonGroup::idClicked, this,
            [this, small](int id) { resizingClicked(small, id); });
    connect(kind, &QButtonGroup::idClicked, this,
            [this, small](int id) { tilingOrKindClicked(small, id); });
    return box;
}

void DefaultsDialog::load() {
    m_width->setText(m_settings.read(SettingsKeys::ThreshHoldWidth));
    m_height->setText(m_settings.read(SettingsKeys::ThreshHoldHeight));
    const int hours = m_settings.read(SettingsKeys::TimerHours);
    const int minutes = m_settings.read(SettingsKeys::TimerMins);
    m_minutes->setValue(minutes);
    m_hours->setValue(hours);
    loadColumn(true, m_settings.read(SettingsKeys::TiledSmall),
               m_settings.read(SettingsKeys::ResizeSmall),
               m_settings.read(SettingsKeys::PropSmall));
    loadColumn(false, m_settings.read(SettingsKeys::TiledLarge),
               m_settings.read(SettingsKeys::ResizeLarge),
               m_settings.read(SettingsKeys::PropLarge));
    m_beep->setChecked(m_settings.read(SettingsKeys::Beep) == 1);
    // The interval acts even when neither box changed (a stored 9 h 0 min).
    Q_EMIT changeIntervalChanged(changeInterval());
}

void DefaultsDialog::loadColumn(bool small, bool tiled, bool resize, bool proportional) {
    tiling(small)->button(tiled ? TiledId : SingleId)->setChecked(true);
    resizing(small)->button(resize ? YesId : NoId)->setChecked(true);
    if (resize) {
        kind(small)->button(proportional ? ProportionalId : StretchId)->setChecked(true);
        tilingOrKindClicked(small, proportional ? ProportionalId : StretchId);
    }
    resizingClicked(small, resize ? YesId : NoId);
}

void DefaultsDialog::save() {
    m_settings.write(SettingsKeys::ThreshHoldWidth, m_width->text());
    m_settings.write(SettingsKeys::ThreshHoldHeight, m_height->text());
    m_settings.write(SettingsKeys::TimerHours, m_hours->value());
    m_settings.write(SettingsKeys::TimerMins, m_minutes->value());
    const NewEntryDefaults values = newEntryDefaults();
    m_settings.write(SettingsKeys::TiledSmall, values.tiledSmall);
    m_settings.write(SettingsKeys::ResizeSmall, values.resizeSmall);
    if (values.resizeSmall)
        m_settings.write(SettingsKeys::PropSmall, values.proportionalSmall);
    m_settings.write(SettingsKeys::TiledLarge, values.tiledLarge);
    m_settings.write(SettingsKeys::ResizeLarge, values.resizeLarge);
    if (values.resizeLarge)
        m_settings.write(SettingsKeys::PropLarge, values.proportionalLarge);
}

void DefaultsDialog::done(int result) {
    save();
    QDialog::done(result);
}

NewEntryDefaults DefaultsDialog::newEntryDefaults() const {
    return {m_width->text(),
            m_height->text(),
            m_tilingSmall->checkedId() == TiledId,
            m_resizeSmall->checkedId() == YesId,
            m_kindSmall->checkedId() == ProportionalId,
            m_tilingLarge->checkedId() == TiledId,
            m_resizeLarge->checkedId() == YesId,
            m_kindLarge->checkedId() == ProportionalId};
}

int DefaultsDialog::changeInterval() const {
    return m_hours->value() * 60 + m_minutes->value();
}

void DefaultsDialog::setBeep(bool on) {
    m_beep->setChecked(on);
}

void DefaultsDialog::minutesChanged() {
    if (m_minutes->value() == 60) {
        if (m_hours->value() < 9) {
            m_hours->setValue(m_hours->value() + 1);
            m_minutes->setValue(0);
        } else {
            m_minutes->setValue(59);
        }
    }
    if (m_minutes->value() == 0 && m_hours->value() == 0)
        m_minutes->setValue(1);
    m_settings.write(SettingsKeys::TimerMins, m_minutes->value());
    Q_EMIT changeIntervalChanged(changeInterval());
}

void DefaultsDialog::hoursChanged() {
    if (m_hours->value() == 0 && m_minutes->value() == 0)
        m_minutes->setValue(1);
    m_settings.write(SettingsKeys::TimerHours, m_hours->value());
    Q_EMIT changeIntervalChanged(changeInterval());
}

void DefaultsDialog::checkThreshold(QLineEdit *box, int screenDimension) {
    bool isNumber = false;
    QLocale().toDouble(box->text(), &isNumber);
    if (!isNumber) {
        QApplication::beep();
        box->setText(QString());
        return;
    }
    if (leadingNumber(box->text()) > screenDimension)
        box->setText(QString::number(screenDimension));
}

void DefaultsDialog::resizingClicked(bool small, int id) {
    for (int button : {ProportionalId, StretchId})
        kind(small)->button(button)->setEnabled(id == YesId);
}

void DefaultsDialog::tilingOrKindClicked(bool small, int id) {
    // Stretching fills the screen: there is nothing left to tile.
    if (id == StretchId)
        tiling(small)->button(SingleId)->setChecked(true);
}
