#include "desktopentry.h"

#include <QFile>
#include <QUrl>

namespace {

// The escapes of string values: \s \n \t \r \\.
QString unescapeValue(const QString &raw) {
    QString value;
    value.reserve(raw.size());
    for (int i = 0; i < raw.size(); ++i) {
        if (raw.at(i) != QLatin1Char('\\') || i + 1 == raw.size()) {
            value.append(raw.at(i));
            continue;
        }
        const QChar next = raw.at(++i);
        switch (next.unicode()) {
        case 's':
            value.append(QLatin1Char(' '));
            break;
        case 'n':
            value.append(QLatin1Char('\n'));
            break;
        case 't':
            value.append(QLatin1Char('\t'));
            break;
        case 'r':
            value.append(QLatin1Char('\r'));
            break;
        case '\\':
            value.append(QLatin1Char('\\'));
            break;
        default:
            value.append(QLatin1Char('\\')).append(next);
        }
    }
    return value;
}

// Exec is split at blanks; a quoted argument keeps its blanks and within it
// \" \` \$ and \\ stand for the character. False when a quote is not closed.
bool splitExec(const QString &line, QStringList *arguments, QList<bool> *quoted) {
    QString current;
    bool inQuotes = false;
    bool wasQuoted = false;
    bool started = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('\\') && i + 1 < line.size() &&
                QStringLiteral("\"`$\\").contains(line.at(i + 1))) {
                current.append(line.at(++i));
            } else if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else {
                current.append(c);
            }
        } else if (c == QLatin1Char('"')) {
            inQuotes = wasQuoted = started = true;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (started) {
                arguments->append(current);
                quoted->append(wasQuoted);
            }
            current.clear();
            started = wasQuoted = false;
        } else {
            current.append(c);
            started = true;
        }
    }
    if (inQuotes)
        return false;
    if (started) {
        arguments->append(current);
        quoted->append(wasQuoted);
    }
    return true;
}

} // namespace

DesktopEntry DesktopEntry::read(const QString &path) {
    DesktopEntry entry;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entry;
    entry.m_location = path;
    bool inGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String("[Desktop Entry]");
            entry.m_valid = entry.m_valid || inGroup;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inGroup || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!entry.m_values.contains(key))
            entry.m_values.insert(key, line.mid(equals + 1).trimmed());
    }
    return entry;
}

QString DesktopEntry::value(const QString &key) const {
    return unescapeValue(m_values.value(key));
}

QStringList DesktopEntry::list(const QString &key) const {
    QStringList items;
    QString current;
    const QString raw = m_values.value(key);
    for (int i = 0; i < raw.size(); ++i) {
        if (raw.at(i) == QLatin1Char('\\') && i + 1 < raw.size() &&
            raw.at(i + 1) == QLatin1Char(';')) {
            current.append(QLatin1Char(';'));
            ++i;
        } else if (raw.at(i) == QLatin1Char(';')) {
            items.append(unescapeValue(current));
            current.clear();
        } else {
            current.append(raw.at(i));
        }
    }
    if (!current.isEmpty())
        items.append(unescapeValue(current));
    return items;
}

bool DesktopEntry::flag(const QString &key) const {
    return m_values.value(key) == QLatin1String("true");
}

QStringList DesktopEntry::command(const QString &path) const {
    QStringList parts;
    QList<bool> quoted;
    if (!splitExec(value(QStringLiteral("Exec")), &parts, &quoted) || parts.isEmpty())
        return {};
    const QString url = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    QStringList arguments;
    bool gaveFile = false;
    for (int index = 0; index < parts.size(); ++index) {
        const QString &part = parts.at(index);
        // Field codes stand alone; inside quotes they are plain text.
        if (!quoted.at(index) && part.size() == 2 && part.startsWith(QLatin1Char('%'))) {
            switch (part.at(1).unicode()) {
            case 'f':
            case 'F':
                arguments.append(path);
                gaveFile = true;
                break;
            case 'u':
            case 'U':
                arguments.append(url);
                gaveFile = true;
                break;
            case 'c':
                arguments.append(value(QStringLiteral("Name")));
                break;
            case 'k':
                arguments.append(m_location);
                break;
            case 'i':
                if (!value(QStringLiteral("Icon")).isEmpty())
                    arguments << QStringLiteral("--icon") << value(QStringLiteral("Icon"));
                break;
            case '%':
                arguments.append(QStringLiteral("%"));
                break;
            default:
                break; // deprecated codes are dropped
            }
            continue;
        }
        QString argument = part;
        argument.replace(QLatin1String("%%"), QLatin1String("%"));
        arguments.append(argument);
    }
    if (!gaveFile)
        arguments.append(path);
    return arguments;
}
