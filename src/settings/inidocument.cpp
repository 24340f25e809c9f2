#include "inidocument.h"

#include "iniescaping.h"

namespace {

bool isBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

// Finds the next logical line from pos on, as QSettings does: blank lines and
// lines starting with ';' are skipped, quotes may span line breaks, an unquoted
// ';' ends the line, and equals is the first unquoted '=' (or -1).
bool nextLine(QByteArrayView data, qsizetype &pos, qsizetype &start, qsizetype &length,
              qsizetype &equals) {
    const qsizetype size = data.size();
    bool inQuotes = false;
    equals = -1;
    start = pos;
    while (start < size && (isBlank(data[start]) || data[start] == '\n' || data[start] == '\r'))
        ++start;
    qsizetype i = start;
    while (i < size) {
        const char ch = data[i++];
        switch (ch) {
        case '=':
            if (!inQuotes && equals == -1)
                equals = i - 1;
            break;
        case '\n':
        case '\r':
            if (i == start + 1) {
                ++start;
            } else if (!inQuotes) {
                --i;
                goto done;
            }
            break;
        case '\\':
            if (i < size) {
                const char escaped = data[i++];
                if (i < size) {
                    const char next = data[i];
                    if ((escaped == '\n' && next == '\r') || (escaped == '\r' && next == '\n'))
                        ++i;
                }
            }
            break;
        case '"':
            inQuotes = !inQuotes;
            break;
        case ';':
            if (i == start + 1) {
                while (i < size && data[i] != '\n' && data[i] != '\r')
                    ++i;
                while (i < size && (isBlank(data[i]) || data[i] == '\n' || data[i] == '\r'))
                    ++i;
                start = i;
            } else if (!inQuotes) {
                --i;
                goto done;
            }
            break;
        default:
            break;
        }
    }
done:
    pos = i;
    length = i - start;
    return length > 0;
}

// The number a key like "42" stands for; -1 for other keys ("042", "x", "").
qsizetype keyNumber(const QString &key) {
    const qsizetype size = key.size();
    if (size == 0 || size > 9 || (size > 1 && key.front() == u'0'))
        return -1;
    qsizetype number = 0;
    for (const QChar ch : key) {
        if (ch < u'0' || ch > u'9')
            return -1;
        number = number * 10 + (ch.unicode() - '0');
    }
    return number;
}

// Keys numbered far beyond the others (a damaged file) go by name, so a
// single "999999999" cannot claim a huge table.
constexpr qsizetype NumberSlack = 65536;

} // namespace

qsizetype IniDocument::Section::indexOf(qsizetype number) const {
    if (number >= 0 && number < byNumber.size() && byNumber.at(number) >= 0)
        return byNumber.at(number);
    return byName.isEmpty() ? -1 : byName.value(QString::number(number), -1);
}

qsizetype IniDocument::Section::indexOf(const QString &key) const {
    if (const qsizetype number = keyNumber(key); number >= 0)
        return indexOf(number);
    return byName.value(key, -1);
}

void IniDocument::Section::append(const QString &key, QString value) {
    const qsizetype number = keyNumber(key);
    if (number >= 0 && number < byNumber.size() + NumberSlack) {
        if (number >= byNumber.size())
            byNumber.resize(number + 1, -1);
        byNumber[number] = keys.size();
    } else {
        byName.insert(key, keys.size());
    }
    keys.append(key);
    values.append(std::move(value));
}

IniDocument IniDocument::parse(QByteArrayView data) {
    IniDocument document;
    if (data.startsWith("\xef\xbb\xbf"))
        data = data.sliced(3);
    qsizetype current = -1;
    qsizetype pos = 0;
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype equals = -1;
    while (nextLine(data, pos, start, length, equals)) {
        const QByteArrayView line = data.sliced(start, length);
        if (line.startsWith('[')) {
            qsizetype close = line.indexOf(']');
            if (close < 0)
                close = line.size();
            const QByteArrayView name = line.first(close).sliced(1).trimmed();
            QString section;
            if (name.compare("general", Qt::CaseInsensitive) == 0)
                section = QString();
            else if (name.compare("%general", Qt::CaseInsensitive) == 0)
                section = QString::fromLatin1(name.sliced(1));
            else
                section = unescapedKey(name);
            current = document.sectionIndex(section);
            if (current < 0) {
                document.m_sections.append({section, {}, {}, {}, {}});
                current = document.m_sections.size() - 1;
            }
            continue;
        }
        if (equals < 0)
            continue;
        if (current < 0) {
            document.m_sections.append({QString(), {}, {}, {}, {}});
            current = document.m_sections.size() - 1;
        }
        const QString key = unescapedKey(line.first(equals - start).trimmed());
        QString value = untyped(unescapedValue(line.sliced(equals - start + 1)));
        Section &section = document.m_sections[current];
        if (const qsizetype index = section.indexOf(key); index >= 0)
            section.values[index] = std::move(value);
        else
            section.append(key, std::move(value));
    }
    return document;
}

QByteArray IniDocument::serialize() const {
    qsizetype estimate = 0;
    for (const Section &section : m_sections)
        for (qsizetype i = 0; i < section.keys.size(); ++i)
            estimate += section.keys.at(i).size() + section.values.at(i).size() + 4;
    QByteArray out;
    out.reserve(estimate + estimate / 8 + 64);
    bool first = true;
    for (const Section &section : m_sections) {
        if (section.keys.isEmpty())
            continue;
        if (!first)
            out += '\n';
        first = false;
        QByteArray name;
        appendEscapedKey(section.name, name);
        if (name.isEmpty())
            out += "[General]\n";
        else if (name.compare("general", Qt::CaseInsensitive) == 0)
            out += "[%General]\n";
        else
            out += '[' + name + "]\n";
        for (qsizetype i = 0; i < section.keys.size(); ++i) {
            appendEscapedKey(section.keys.at(i), out);
            out += '=';
            appendEscapedValue(section.values.at(i), out);
            out += '\n';
        }
    }
    return out;
}

const QString *IniDocument::find(QLatin1StringView section, const QString &key) const {
    return findValue(section, key);
}

const QString *IniDocument::find(QLatin1StringView section, qsizetype position) const {
    return findValue(section, position);
}

bool IniDocument::set(QLatin1StringView section, const QString &key, const QString &value) {
    qsizetype index = sectionIndex(section);
    if (index < 0) {
        m_sections.append({QString(section), {}, {}, {}, {}});
        index = m_sections.size() - 1;
    }
    const Section &current = std::as_const(m_sections).at(index);
    const qsizetype position = current.indexOf(key);
    if (position >= 0 && current.values.at(position) == value)
        return false;
    // Only now may the section stop sharing its data with a copy being written.
    Section &target = m_sections[index];
    if (position >= 0)
        target.values[position] = value;
    else
        target.append(key, value);
    return true;
}

QStringList IniDocument::keys(QLatin1StringView section) const {
    const qsizetype index = sectionIndex(section);
    return index < 0 ? QStringList() : m_sections.at(index).keys;
}
