#include "firstrunintroduction.h"

#include "autostart.h"
#include "prompter.h"
#include "startuphost.h"

FirstRunIntroduction::FirstRunIntroduction(StartupHost &host, Prompter &prompter,
                                           const Autostart &autostart, QString executable)
    : m_host(host)
    , m_prompter(prompter)
    , m_autostart(autostart)
    , m_executable(std::move(executable)) {}

QString FirstRunIntroduction::shortcutOfferText() {
    return QStringLiteral("Do you want me to create a shortcut\n"
                          "in your autostart folder?\n"
                          "\n"
                          "This is the best thing to do!  This way the program \n"
                          "starts every time you log in.");
}

QString FirstRunIntroduction::firstMessageText() {
    return QStringLiteral("To start with, you can change\n"
                          "the interval with which your wallpapers have to change,\n"
                          "and the defaults for new entries in your Wallpaper List.\n"
                          "\n"
                          "There is a difference between small and large images.\n"
                          "You can change the threshhold (which makes the difference \n"
                          "between small and large images) and whether or not these files \n"
                          "have to be tiled and/or resized.\n"
                          "You can also indicate that your computer has to \"Beep\" \n"
                          "when your wallpaper changes.");
}

QString FirstRunIntroduction::secondMessageText() {
    return QStringLiteral("Next, you have to select some files\n"
                          "to put in your Wallpaper List.\n"
                          "\n"
                          "How?\n"
                          "Browse to a folder with pictures.\n"
                          "Click on the thumbnail of the picture you want to use.\n"
                          "Click on one of the smileys to add the picture or the whole directory.\n"
                          "\n"
                          "That's it...\n"
                          "Enjoy!!!");
}

void FirstRunIntroduction::run() {
    m_host.setIntroRunning(true);
    m_host.showMainWindow();
    offerAutostart();
    m_prompter.inform(Prompter::Icon::Information, QStringLiteral("To start with..."),
                      firstMessageText());
    m_host.execDefaultsDialog();
    m_prompter.inform(Prompter::Icon::Information,
                      QStringLiteral("Let's get this thing working..."), secondMessageText());
    m_host.showBrowser();
    m_host.setIntroRunning(false);
}

void FirstRunIntroduction::offerAutostart() {
    const QString title = QStringLiteral("Helping a little...");
    if (m_prompter.show(Prompter::Icon::Question, title, shortcutOfferText(),
                        Prompter::Buttons::OkCancel) != Prompter::Answer::Ok)
        return;
    if (const Result<void> created = m_autostart.create(m_executable); !created)
        m_prompter.inform(Prompter::Icon::Warning, title,
                          QStringLiteral("The autostart entry could not be created:\n%1\n%2")
                              .arg(m_autostart.entryPath(), created.error()));
}
