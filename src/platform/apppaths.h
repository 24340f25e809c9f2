#pragma once

#include <QString>

// Every place the program reads or writes outside itself, so tests can point
// them into a temporary folder.
struct AppPaths {
    QString configFile;      // the settings store
    QString dataFolder;      // where the wallpaper bitmap is written
    QString autostartFolder; // the desktop's autostart entries
    QString runtimeFolder;   // the single-instance lock

    static AppPaths standard();
};
