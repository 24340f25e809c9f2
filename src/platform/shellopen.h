#pragma once

#include "result.h"

#include <QString>
#include <QStringList>

class Prompter;

// Hands a file or a link to the desktop with a verb: "open" (the desktop's
// default application, through xdg-open) or "Edit" (an installed image
// editor for the file's type). Programs are started with an argument list,
// never through a shell, and only existing, readable pictures are handed on.
class ShellOpen {
public:
    // applicationFolders: where desktop entries are looked for, most
    // important first (XDG_DATA_HOME, then XDG_DATA_DIRS, each + "/applications").
    explicit ShellOpen(Prompter &prompter,
                       QStringList applicationFolders = defaultApplicationFolders());

    // Succeeds when the desktop took the request. Otherwise the user has been
    // told why ("Oops ...") and the failure carries the reason.
    Result<void> open(const QString &target, const QString &verb);
    // The main window's edit command: edit, and when that is refused, open.
    void editOrOpen(const QString &path);

    // The result as a shell-execute code: above 32 is success, 0 to 32 a
    // failure whose text failureText() gives.
    int execute(const QString &target, const QString &verb);
    static QString failureText(int code);

    // The desktop entry of an image editor for the MIME type, or "".
    QString findEditor(const QString &mimeType) const;
    static QStringList defaultApplicationFolders();

private:
    int openWithDesktop(const QString &target);
    int edit(const QString &path);

    Prompter &m_prompter;
    QStringList m_applicationFolders;
};
