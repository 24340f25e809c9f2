#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The [Desktop Entry] group of a freedesktop.org .desktop file: enough to
// find and start an application.
class DesktopEntry {
public:
    static DesktopEntry read(const QString &path);

    bool isValid() const { return m_valid; }
    QString value(const QString &key) const;
    QStringList list(const QString &key) const;
    bool flag(const QString &key) const;

    // The Exec line split into arguments, field codes expanded for one file:
    // %f and %F give the path, %u and %U its URL; a line with no file code
    // gets the path appended. Empty when the line is malformed.
    QStringList command(const QString &path) const;

private:
    bool m_valid = false;
    QString m_location;
    QHash<QString, QString> m_values;
};
