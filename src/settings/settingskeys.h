#pragma once

#include <climits>

// The one table of everything the program keeps between runs. Section and key
// names are part of the stored file format: never rename them.

struct IntKey {
    const char *section;
    const char *name;
    int fallback;
    int minimum;
    int maximum;
};

struct BoolKey {
    const char *section;
    const char *name;
    bool fallback;
};

// Text defaults that depend on the machine the program runs on.
enum class TextFallback { HalfScreenWidth, HalfScreenHeight, PicturesFolder, Nothing };

struct TextKey {
    const char *section;
    const char *name;
    TextFallback fallback;
};

// Per-entry sections: one key per list position ("0", "1", ...).
struct EntryTextSection {
    const char *section;
    const char *fallback;
};

struct EntryFlagSection {
    const char *section;
    bool fallback;
};

namespace SettingsKeys {

inline constexpr const char *Settings = "Settings";

inline constexpr IntKey Beep{Settings, "Beep", 1, 0, 1};
inline constexpr TextKey ThreshHoldWidth{Settings, "ThreshHoldWidth",
                                         TextFallback::HalfScreenWidth};
inline constexpr TextKey ThreshHoldHeight{Settings, "ThreshHoldHeight",
                                          TextFallback::HalfScreenHeight};
inline constexpr IntKey TimerHours{Settings, "TimerHours", 0, 0, 9};
inline constexpr IntKey TimerMins{Settings, "TimerMins", 5, 0, 59};
inline constexpr BoolKey TiledSmall{Settings, "TiledSmall", true};
inline constexpr BoolKey ResizeSmall{Settings, "ResizeSmall", false};
inline constexpr BoolKey PropSmall{Settings, "PropSmall", false};
inline constexpr BoolKey TiledLarge{Settings, "TiledLarge", false};
inline constexpr BoolKey ResizeLarge{Settings, "ResizeLarge", true};
inline constexpr BoolKey PropLarge{Settings, "PropLarge", true};
inline constexpr IntKey NumberOfFiles{Settings, "NumberOfFiles", 0, 0, INT_MAX};
inline constexpr IntKey NextFile{Settings, "NextFile", 0, 0, INT_MAX};
inline constexpr TextKey LastPath{Settings, "Last Path", TextFallback::PicturesFolder};
// The main window's size as the user left it, "width x height".
inline constexpr TextKey MainWindowSize{Settings, "Main Window Size", TextFallback::Nothing};
// The browser's size and where its frame was, "width x height +left +top".
inline constexpr TextKey BrowserGeometry{Settings, "Browser Window Geometry",
                                         TextFallback::Nothing};

inline constexpr EntryTextSection Files{"Files", "none"};
inline constexpr EntryFlagSection FileStretchSettings{"FileStretchSettings", true};
inline constexpr EntryFlagSection FileProportionalSettings{"FileProportionalSettings", true};
inline constexpr EntryFlagSection FileTiledSettings{"FileTiledSettings", false};

} // namespace SettingsKeys
