#pragma once

#include "addfile.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLayout;
class QLineEdit;
class QSpinBox;
class SettingsStore;

// "Wallpaper Defaults": the change interval, the size threshold between small
// and large pictures, the settings new entries of each class receive, and the
// beep switch. It lives for the whole run and is the live holder of these
// values: the interval acts at once, the rest is saved when it closes.
class DefaultsDialog : public QDialog {
    Q_OBJECT

public:
    DefaultsDialog(SettingsStore &settings, QSize screenSize, QWidget *parent = nullptr);

    // Fills every control from the store.
    void load();
    // Saves the state, as closing the dialog does.
    void save();

    NewEntryDefaults newEntryDefaults() const;
    int changeInterval() const;
    void setBeep(bool on);

    // The controls, for the windows and tests that drive them.
    QSpinBox *hoursBox() const { return m_hours; }
    QSpinBox *minutesBox() const { return m_minutes; }
    QLineEdit *widthBox() const { return m_width; }
    QLineEdit *heightBox() const { return m_height; }
    QButtonGroup *tiling(bool small) const { return small ? m_tilingSmall : m_tilingLarge; }
    QButtonGroup *resizing(bool small) const { return small ? m_resizeSmall : m_resizeLarge; }
    QButtonGroup *kind(bool small) const { return small ? m_kindSmall : m_kindLarge; }

    // Button ids inside the groups.
    enum { TiledId = 1, SingleId = 2, ProportionalId = 3, StretchId = 4, YesId = 0, NoId = 1 };

Q_SIGNALS:
    void changeIntervalChanged(int minutes);
    void beepToggled(bool on);

protected:
    void done(int result) override;

private:
    QLayout *buildIntervalRow();
    QWidget *buildThresholdBox();
    QWidget *buildColumn(bool small);
    void minutesChanged();
    void hoursChanged();
    void checkThreshold(QLineEdit *box, int screenDimension);
    void resizingClicked(bool small, int id);
    void tilingOrKindClicked(bool small, int id);
    void loadColumn(bool small, bool tiled, bool resize, bool proportional);

    SettingsStore &m_settings;
    QSize m_screenSize;
    QSpinBox *m_hours;
    QSpinBox *m_minutes;
    QLineEdit *m_width;
    QLineEdit *m_height;
    QButtonGroup *m_tilingSmall;
    QButtonGroup *m_tilingLarge;
    QButtonGroup *m_resizeSmall;
    QButtonGroup *m_resizeLarge;
    QButtonGroup *m_kindSmall;
    QButtonGroup *m_kindLarge;
    QCheckBox *m_beep;
};
