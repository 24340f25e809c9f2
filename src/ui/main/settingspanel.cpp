#include "settingspanel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

#include <vector>

SettingsPanel::SettingsPanel(QWidget *parent)
    : QGroupBox(QStringLiteral("Settings for Selected Wallpaper"), parent)
    , m_beep(new QCheckBox(QStringLiteral("Beep on Wallpaper Change (effect on all wallpapers)"))) {
    // Alt+T belongs to the Tools menu.
    const char *captions[] = {"T&iled", "Sin&gle Image", "&Yes",
                              "N&o",    "&Proportional", "&Stretch"};
    auto *layout = new QGridLayout(this);
    layout->setVerticalSpacing(0);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(new QLabel(QStringLiteral("Tiling:")), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Resizing:")), 2, 0);
    for (int i = 0; i < 6; ++i)
        m_options[i] = new QRadioButton(QString::fromLatin1(captions[i]));
    // Three pairs, each its own group: a choice in one never clears another.
    for (int pair = 0; pair < 3; ++pair) {
        auto *group = new QButtonGroup(this);
        group->addButton(m_options[2 * pair], 2 * pair);
        group->addButton(m_options[2 * pair + 1], 2 * pair + 1);
        connect(group, &QButtonGroup::idClicked, this, &SettingsPanel::optionClicked);
    }
    layout->addWidget(m_options[Tiled], 0, 1);
    layout->addWidget(m_options[SingleImage], 1, 1);
    layout->addWidget(m_options[ResizeYes], 2, 1);
    layout->addWidget(m_options[ResizeNo], 2, 2);
    layout->addWidget(m_options[Proportional], 3, 1);
    layout->addWidget(m_options[Stretch], 4, 1);
    layout->addWidget(m_beep, 5, 0, 1, 3);
    m_beep->setChecked(true);
    connect(m_beep, &QCheckBox::toggled, this, &SettingsPanel::beepToggled);
}

QRadioButton *SettingsPanel::option(Option which) const {
    return m_options[which];
}

void SettingsPanel::setBeep(bool on) {
    m_beep->setChecked(on);
}

void SettingsPanel::showEntry(const WallpaperEntry &entry) {
    m_entry = entry;
    m_hasEntry = true;
    // All six options change together and are painted once: never a moment
    // with "Stretch" ticked beside a "Tiled" the entry no longer has.
    setUpdatesEnabled(false);
    std::vector<QSignalBlocker> quiet;
    quiet.reserve(std::size(m_options));
    for (QRadioButton *option : m_options)
        quiet.emplace_back(option);
    m_options[entry.tiled ? Tiled : SingleImage]->setChecked(true);
    m_options[entry.resize ? ResizeYes : ResizeNo]->setChecked(true);
    m_options[entry.proportional ? Proportional : Stretch]->setChecked(true);
    m_options[Proportional]->setEnabled(entry.resize);
    m_options[Stretch]->setEnabled(entry.resize);
    setUpdatesEnabled(true);
}

void SettingsPanel::optionClicked(int which) {
    if (!m_hasEntry)
        return;
    WallpaperEntry entry = m_entry;
    switch (which) {
    case Tiled:
        entry.tiled = true;
        entry.proportional = true;
        break;
    case SingleImage:
        entry.tiled = false;
        break;
    case ResizeYes:
        entry.resize = true;
        break;
    case ResizeNo:
        entry.resize = false;
        break;
    case Proportional:
        entry.proportional = true;
        break;
    case Stretch:
        entry.proportional = false;
        entry.tiled = false;
        break;
    }
    showEntry(entry);
    Q_EMIT entryEdited(entry);
}
