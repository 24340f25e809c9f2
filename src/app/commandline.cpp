#include "commandline.h"

StartAction parseCommandLine(const QStringList &arguments) {
    if (arguments.join(QLatin1Char(' ')).trimmed().toUpper() == QLatin1String("/C"))
        return StartAction::ClearAndRun;
    if (arguments.size() != 1)
        return StartAction::Run;
    const QString &option = arguments.first();
    if (option == QLatin1String("--clear"))
        return StartAction::ClearAndRun;
    if (option == QLatin1String("--help") || option == QLatin1String("-h"))
        return StartAction::ShowHelp;
    if (option == QLatin1String("--version"))
        return StartAction::ShowVersion;
    return StartAction::Run;
}

QString usageText() {
    return QStringLiteral("Usage: rotafond [/C | --clear | --help | --version]\n"
                          "Cycles your desktop wallpaper through a list of pictures.\n\n"
                          "  /C, --clear   forget all settings and the wallpaper list, then start\n"
                          "  -h, --help    show this help and exit\n"
                          "  --version     show the version and exit\n");
}
