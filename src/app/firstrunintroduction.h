#pragma once

#include <QString>

class Autostart;
class Prompter;
class StartupHost;

// Runs when the program starts with an empty list: offers the autostart entry
// and walks the user through the defaults dialog and the browser.
class FirstRunIntroduction {
public:
    FirstRunIntroduction(StartupHost &host, Prompter &prompter, const Autostart &autostart,
                         QString executable);

    void run();

    static QString shortcutOfferText();
    static QString firstMessageText();
    static QString secondMessageText();

private:
    void offerAutostart();

    StartupHost &m_host;
    Prompter &m_prompter;
    const Autostart &m_autostart;
    QString m_executable;
};
