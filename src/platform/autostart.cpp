#include "autostart.h"

#include <QDir>
#include <QSaveFile>

Autostart::Autostart(QString autostartFolder)
    : m_folder(std::move(autostartFolder)) {}

QString Autostart::entryPath() const {
    return QDir(m_folder).filePath(QStringLiteral("Rotafond.desktop"));
}

QString Autostart::execValue(const QString &executable) {
    // Inside a quoted argument, `"`, "`", "$" and "\" take a backslash...
    QString quoted;
    for (const QChar c : executable) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    // GLib's launchers (gio launch, GNOME's autostart) look for the program
    // under its still escaped name ("%%") and give up; env finds it instead.
    if (executable.contains(QLatin1Char('%')))
        quoted.prepend(QStringLiteral("env "));
    // ...then the whole value takes the key file's string escapes, and a literal
    // "%" is doubled so the launcher does not read it as a field code.
    QString value;
    for (const QChar c : quoted) {
        if (c == QLatin1Char('\\'))
            value += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            value += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            value += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            value += QStringLiteral("\\r");
        else if (c == QLatin1Char('%'))
            value += QStringLiteral("%%");
        else
            value += c;
    }
    return value;
}

Result<void> Autostart::create(const QString &executable) const {
    if (!QDir().mkpath(m_folder))
        return Failure{QStringLiteral("Cannot create the folder %1.").arg(m_folder)};
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return Failure{file.errorString()};
    const QByteArray content = QStringLiteral("[Desktop Entry]\n"
                                              "Type=Application\n"
                                              "Name=Rotafond\n"
                                              "Comment=Desktop wallpaper cycler\n"
                                              "Exec=%1\n"
                                              "Terminal=false\n"
                                              "X-GNOME-Autostart-enabled=true\n")
                                   .arg(execValue(executable))
                                   .toUtf8();
    if (file.write(content) != content.size() || !file.commit())
        return Failure{file.errorString()};
    return {};
}
