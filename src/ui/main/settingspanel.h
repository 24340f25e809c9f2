#pragma once

#include "wallpaperentry.h"

#include <QGroupBox>

class QButtonGroup;
class QCheckBox;
class QRadioButton;

// "Settings for Selected Wallpaper": three independent option pairs and the
// program-wide beep switch. Showing an entry only sets the controls; the
// entry changes only when the user picks an option, and then the coupling
// keeps it inside the five display modes: "Tiled" implies "Proportional",
// "Stretch" implies "Single Image", "No" disables the kind of resize.
class SettingsPanel : public QGroupBox {
    Q_OBJECT

public:
    enum Option { Tiled, SingleImage, ResizeYes, ResizeNo, Proportional, Stretch };

    explicit SettingsPanel(QWidget *parent = nullptr);

    void showEntry(const WallpaperEntry &entry);
    // With no entry selected the options stay as they are and change nothing.
    void setEntrySelected(bool selected) { m_hasEntry = selected; }
    void setBeep(bool on);
    QRadioButton *option(Option which) const;
    QCheckBox *beepBox() const { return m_beep; }

Q_SIGNALS:
    void entryEdited(const WallpaperEntry &entry);
    void beepToggled(bool on);

private:
    void optionClicked(int which);

    QRadioButton *m_options[6];
    QCheckBox *m_beep;
    WallpaperEntry m_entry;
    bool m_hasEntry = false;
};
