#include "inidocument.h"

#include <QStringDecoder>

#include <cstring>

namespace {

bool isHexDigit(char16_t ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

int hexValue(char ch) {
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

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

// "%20" and "%U00FC" stand for one character, "\" for "/".
QString unescapedKey(QByteArrayView key) {
    if (!key.contains('%') && !key.contains('\\'))
        return QString::fromUtf8(key);
    const QString decoded = QString::fromUtf8(key);
    const qsizetype size = decoded.size();
    QString result;
    result.reserve(size);
    qsizetype i = 0;
    while (i < size) {
        const QChar ch = decoded.at(i);
        if (ch == u'\\') {
            result += u'/';
            ++i;
            continue;
        }
        if (ch != u'%' || i == size - 1) {
            result += ch;
            ++i;
            continue;
        }
        qsizetype first = i + 1;
        qsizetype digits = 2;
        if (decoded.at(first) == u'U') {
            ++first;
            digits = 4;
        }
        bool ok = false;
        const ushort code = first + digits <= size
                                ? QStringView(decoded).sliced(first, digits).toUShort(&ok, 16)
                                : 0;
        if (!ok) {
            result += u'%';
            ++i;
            continue;
        }
        result += QChar(code);
        i = first + digits;
    }
    return result;
}

void appendEscapedKey(const QString &key, QByteArray &out) {
    static const char hex[] = "0123456789ABCDEF";
    for (const QChar qch : key) {
        const char16_t ch = qch.unicode();
        if (ch == '/') {
            out += '\\';
        } else if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                   (ch >= '0' && ch <= '9') || ch == '_' || ch == '-' || ch == '.') {
            out += char(ch);
        } else if (ch <= 0xFF) {
            out += '%';
            out += hex[ch >> 4];
            out += hex[ch & 0xF];
        } else {
            out += "%U";
            out += hex[(ch >> 12) & 0xF];
            out += hex[(ch >> 8) & 0xF];
            out += hex[(ch >> 4) & 0xF];
            out += hex[ch & 0xF];
        }
    }
}

void chopBlanks(QString &text, qsizetype limit) {
    qsizetype end = text.size();
    while (end > limit && (text.at(end - 1) == u' ' || text.at(end - 1) == u'\t'))
        --end;
    text.truncate(end);
}

// A value's text: quotes group, backslashes escape (C style, \x and octal
// codes included), and unquoted commas separate the items of a list, which
// arrive joined again with ", ".
QString unescapedValue(QByteArrayView text) {
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size && isBlank(text[i]))
        ++i;
    if (!text.sliced(i).contains('\\') && !text.sliced(i).contains('"') &&
        !text.sliced(i).contains(',')) {
        qsizetype end = size;
        while (end > i && isBlank(text[end - 1]))
            --end;
        return QString::fromUtf8(text.sliced(i, end - i));
    }

    QStringDecoder utf8(QStringDecoder::Utf8);
    QStringList items;
    QString item;
    bool isList = false;
    bool inQuotes = false;
    bool quoted = false;
    qsizetype chopLimit = 0;
    while (i < size) {
        const char ch = text[i];
        if (ch == '\\') {
            if (++i >= size)
                break;
            const char escaped = text[i++];
            static const char plain[] = "abfnrtv\"?'\\";
            static const char meaning[] = "\a\b\f\n\r\t\v\"?'\\";
            if (const char *found = escaped ? std::strchr(plain, escaped) : nullptr) {
                item += QLatin1Char(meaning[found - plain]);
            } else if (escaped == 'x' || (escaped >= '0' && escaped <= '7')) {
                const int base = escaped == 'x' ? 16 : 8;
                char16_t code = escaped == 'x' ? 0 : char16_t(escaped - '0');
                bool any = escaped != 'x';
                while (i < size) {
                    const int digit = hexValue(text[i]);
                    if (digit < 0 || digit >= base)
                        break;
                    code = char16_t(code * base + digit);
                    any = true;
                    ++i;
                }
                if (any)
                    item += QChar(code);
            } else if (escaped == '\n' || escaped == '\r') {
                // A line continuation: \n, \r, \r\n and \n\r all end a line.
                if (i < size && (text[i] == '\n' || text[i] == '\r') && text[i] != escaped)
                    ++i;
            }
            chopLimit = item.size();
        } else if (ch == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) {
                while (i < size && isBlank(text[i]))
                    ++i;
                chopLimit = item.size();
            }
        } else if (ch == ',' && !inQuotes) {
            if (!quoted)
                chopBlanks(item, chopLimit);
            isList = true;
            items.append(item);
            item.clear();
            quoted = false;
            ++i;
            while (i < size && isBlank(text[i]))
                ++i;
            chopLimit = 0;
        } else {
            qsizetype end = i + 1;
            while (end < size && text[end] != '\\' && text[end] != '"' && text[end] != ',')
                ++end;
            item += utf8(text.sliced(i, end - i));
            i = end;
        }
    }
    if (!quoted)
        chopBlanks(item, chopLimit);
    if (!isList)
        return item;
    items.append(item);
    return items.join(QStringLiteral(", "));
}

// QSettings marks values that are not plain text with a leading "@"; a text
// that itself starts with "@" has it doubled. Typed values this program never
// writes read as empty text.
QString untyped(const QString &text) {
    if (!text.startsWith(u'@'))
        return text;
    if (text.endsWith(u')')) {
        if (text.startsWith(QLatin1String("@ByteArray(")))
            return text.sliced(11).chopped(1);
        if (text.startsWith(QLatin1String("@String(")))
            return text.sliced(8).chopped(1);
        for (const char *type :
             {"@Invalid(", "@Variant(", "@DateTime(", "@Rect(", "@Size(", "@Point("})
            if (text.startsWith(QLatin1String(type)))
                return {};
    }
    return text.startsWith(QLatin1String("@@")) ? text.sliced(1) : text;
}

// Plain printable ASCII that needs neither escapes nor quotes, written as it is.
bool isPlain(const QString &text) {
    if (text.isEmpty() || text.front() == u' ' || text.back() == u' ' || text.front() == u'@')
        return false;
    for (const QChar qch : text) {
        const char16_t ch = qch.unicode();
        if (ch < 0x20 || ch >= 0x7F || ch == '"' || ch == '\\' || ch == ';' || ch == ',' ||
            ch == '=')
            return false;
    }
    return true;
}

void appendEscapedValue(const QString &value, QByteArray &out) {
    if (isPlain(value)) {
        const qsizetype at = out.size();
        out.resize(at + value.size());
        char *next = out.data() + at;
        for (const QChar ch : value)
            *next++ = char(ch.unicode());
        return;
    }
    QString text = value;
    if (text.contains(QChar::Null))
        text = QLatin1String("@String(") + text + QLatin1Char(')');
    else if (text.startsWith(u'@'))
        text.prepend(u'@');

    const qsizetype start = out.size();
    bool needsQuotes = false;
    bool escapeNextIfDigit = false;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size;) {
        const char16_t ch = text.at(i).unicode();
        if (ch == ';' || ch == ',' || ch == '=')
            needsQuotes = true;
        // "\x1" followed by "2" would read back as one code, "\x12".
        if (escapeNextIfDigit && isHexDigit(ch)) {
            out += "\\x" + QByteArray::number(ch, 16);
            ++i;
            continue;
        }
        escapeNextIfDigit = false;
        switch (ch) {
        case '\0':
            out += "\\0";
            escapeNextIfDigit = true;
            break;
        case '\a':
            out += "\\a";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\v':
            out += "\\v";
            break;
        case '"':
        case '\\':
            out += '\\';
            out += char(ch);
            break;
        default:
            if (ch <= 0x1F) {
                out += "\\x" + QByteArray::number(ch, 16);
                escapeNextIfDigit = true;
            } else if (ch < 0x80) {
                out += char(ch);
            } else {
                qsizetype end = i + 1;
                while (end < size && text.at(end).unicode() >= 0x80)
                    ++end;
                out += QStringView(text).sliced(i, end - i).toUtf8();
                i = end;
                continue;
            }
        }
        ++i;
    }
    if (needsQuotes || (out.size() > start && (out.at(start) == ' ' || out.back() == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
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
