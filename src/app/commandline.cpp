#include "commandline.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<const char *, StartAction>, 8> Options{{
    {"--clear", StartAction::ClearAndRun},
    {"--help", StartAction::ShowHelp},
    {"-h", StartAction::ShowHelp},
    {"--version", StartAction::ShowVersion},
    {"--next", StartAction::RemoteNext},
    {"--clear-wallpaper", StartAction::RemoteClear},
    {"--show", StartAction::RemoteShow},
    {"--quit", StartAction::RemoteQuit},
}};

} // namespace

StartAction parseCommandLine(const QStringList &arguments) {
    if (arguments.join(QLatin1Char(' ')).trimmed().toUpper() == QLatin1String("/C"))
        return StartAction::ClearAndRun;
    if (arguments.size() != 1)
        return StartAction::Run;
    for (const auto &[option, action] : Options) {
        if (arguments.first() == QLatin1String(option))
            return action;
    }
    return StartAction::Run;
}

QString remoteMethod(StartAction action) {
    switch (action) {
    case StartAction::RemoteNext:
        return QStringLiteral("Next");
    case StartAction::RemoteClear:
        return QStringLiteral("Clear");
    case StartAction::RemoteShow:
        return QStringLiteral("Show");
    case StartAction::RemoteQuit:
        return QStringLiteral("Quit");
    default:
        return {};
    }
}

QString usageText() {
    return QStringLiteral(
        "Usage: rotafond [/C | --clear | --next | --clear-wallpaper | --show | --quit | --help |\n"
        "                 --version]\n"
        "Cycles your desktop wallpaper through a list of pictures.\n\n"
        "  /C, --clear   forget all settings and the wallpaper list, then start\n"
        "  --next        tell the running Rotafond to show the next wallpaper\n"
        "  --clear-wallpaper\n"
        "                tell the running Rotafond to clear the wallpaper\n"
        "  --show        tell the running Rotafond to show its main window\n"
        "  --quit        tell the running Rotafond to save everything and end\n"
        "  -h, --help    show this help and exit\n"
        "  --version     show the version and exit\n");
}
