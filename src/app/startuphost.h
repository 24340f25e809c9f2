#pragma once

// What the start-up sequence needs from the program's windows, in the order
// it uses them.
class StartupHost {
public:
    virtual ~StartupHost() = default;

    virtual void showSplash() = 0;
    // Loads the settings and the wallpaper list and makes the first change of
    // the run; returns the number of entries.
    virtual int loadMainWindow() = 0;
    virtual void loadDefaultsDialog() = 0;
    // On a desktop without a tray the window stays minimised on the task bar instead.
    virtual void minimizeToTray() = 0;

    // While set, the change timer does nothing.
    virtual void setIntroRunning(bool running) = 0;
    virtual void showMainWindow() = 0;
    virtual void execDefaultsDialog() = 0;
    virtual void showBrowser() = 0;
};
