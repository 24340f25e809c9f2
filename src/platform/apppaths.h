#pragma once

#include <QString>

// Every place the program reads or writes outside itself, so tests can point
// them into a temporary folder.
struct AppPaths {
    QString configFile;      // the settings store
    QString dataFolder;      // where the wallpaper bitmap is written
    QString autostartFolder; // the desktop's autostart entries
    // The single-instance lock: next to the store, so every copy of the user
    // finds it whatever its environment (su, ssh and cron lack XDG_RUNTIME_DIR).
    QString lockFolder;

    static AppPaths standard();
};
