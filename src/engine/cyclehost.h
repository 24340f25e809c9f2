#pragma once

#include <QString>

// What the change cycle needs from the windows that own the list.
class CycleHost {
public:
    virtual ~CycleHost() = default;

    // Takes the entry out of the list and moves the selection next to it.
    virtual void removeEntry(int position) = 0;
    virtual bool beepEnabled() const = 0;
    virtual void beep() = 0;
    // Tells the user the list is empty and offers the browser.
    virtual void showEmptyListMessage() = 0;
    // The wallpaper could not be written or shown. Called once when changes
    // start failing; the entries are not to blame and stay in the list.
    virtual void reportChangeFailure(const QString &why) = 0;
};
