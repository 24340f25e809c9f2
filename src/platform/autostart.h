#pragma once

#include "result.h"

#include <QString>

// The per-user autostart entry (freedesktop autostart: <config>/autostart/Rotafond.desktop).
class Autostart {
public:
    explicit Autostart(QString autostartFolder);

    QString entryPath() const;

    // Writes the entry so the desktop starts `executable` at log-in.
    Result<void> create(const QString &executable) const;

    // The Exec= value for a program path, quoted and escaped so any path
    // (blanks, quotes, "$", "%", backslashes) reaches the launcher intact;
    // a path with "%" is started through env.
    static QString execValue(const QString &executable);

private:
    QString m_folder;
};
