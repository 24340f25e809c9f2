#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Keys and values in the escaped forms of the INI dialect QSettings writes.

// "%20" and "%U00FC" stand for one character, "\" for "/".
QString unescapedKey(QByteArrayView key);
void appendEscapedKey(const QString &key, QByteArray &out);

// A value's text, lists joined with ", ".
QString unescapedValue(QByteArrayView text);
void appendEscapedValue(const QString &value, QByteArray &out);

// The text of a value QSettings marked with its type ("@String(...)");
// types this program never writes read as empty text.
QString untyped(const QString &text);
