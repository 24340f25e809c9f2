#include "iniescaping.h"

#include <QStringDecoder>
#include <QStringList>

#include <cstring>
#include <optional>

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

void chopBlanks(QString &text, qsizetype limit) {
    qsizetype end = text.size();
    while (end > limit && (text.at(end - 1) == u' ' || text.at(end - 1) == u'\t'))
        --end;
    text.truncate(end);
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

// Reads the escape sequence after a backslash at text[i - 1] into item.
void appendUnescaped(QByteArrayView text, qsizetype &i, QString &item) {
    const qsizetype size = text.size();
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
}

// Appends the escape for a control character, a quote or a backslash; false
// for characters written as they are.
bool appendEscape(char16_t ch, QByteArray &out, bool &escapeNextIfDigit) {
    static const char controls[] = "\a\b\f\n\r\t\v";
    static const char letters[] = "abfnrtv";
    if (ch == 0) {
        out += "\\0";
        escapeNextIfDigit = true;
    } else if (ch < 0x20) {
        if (const char *found = std::strchr(controls, char(ch))) {
            out += '\\';
            out += letters[found - controls];
        } else {
            out += "\\x" + QByteArray::number(ch, 16);
            escapeNextIfDigit = true;
        }
    } else if (ch == '"' || ch == '\\') {
        out += '\\';
        out += char(ch);
    } else {
        return false;
    }
    return true;
}

} // namespace

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

// A value's text: quotes group, backslashes escape (C style, \x and octal
// codes included), and unquoted commas separate the items of a list, which
// arrive joined again with ", ".
// Most values have no quote, escape or comma: their text is what lies between
// the blanks around them.
std::optional<QString> plainValue(QByteArrayView text) {
    if (text.contains('\\') || text.contains('"') || text.contains(','))
        return std::nullopt;
    qsizetype end = text.size();
    while (end > 0 && isBlank(text[end - 1]))
        --end;
    return QString::fromUtf8(text.first(end));
}

QString unescapedValue(QByteArrayView text) {
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size && isBlank(text[i]))
        ++i;
    if (const std::optional<QString> plain = plainValue(text.sliced(i)))
        return *plain;

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
            appendUnescaped(text, i, item);
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
        if (appendEscape(ch, out, escapeNextIfDigit)) {
            ++i;
        } else if (ch < 0x80) {
            out += char(ch);
            ++i;
        } else {
            qsizetype end = i + 1;
            while (end < size && text.at(end).unicode() >= 0x80)
                ++end;
            out += QStringView(text).sliced(i, end - i).toUtf8();
            i = end;
        }
    }
    if (needsQuotes || (out.size() > start && (out.at(start) == ' ' || out.back() == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
}
