#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QtGlobal>

// One zpack packet: COMMAND(KEY=value,KEY=value,); with escaped values.
// The text is 8-bit and is held as bytes; nothing here depends on the locale.
class TPacket
{
public:
    // Building a request.
    void NewCommand(const QByteArray &name);
    void AddParam(const QByteArray &key, const QByteArray &value);
    void AddString(const QByteArray &key, const QByteArray &value);
    void AddInteger(const QByteArray &key, qint32 value);
    void AddBoolean(const QByteArray &key, bool value);
    void AddFloat(const QByteArray &key, double value);
    void AddDateTime(const QByteArray &key, const QDateTime &value);

    // Holding and inspecting.
    void SetText(const QByteArray &text) { m_text = text; }
    QByteArray GetText() const { return m_text; }
    QByteArray GetCommand() const;
    bool IsCommand(const QByteArray &name) const;

    // Reading values. GetInteger and GetFloat throw EConvertError on malformed values.
    QByteArray GetValue(const QByteArray &key) const;
    QByteArray GetString(const QByteArray &key, const QByteArray &defaultValue) const;
    qint32 GetInteger(const QByteArray &key, qint32 defaultValue) const;
    bool GetBoolean(const QByteArray &key, bool defaultValue) const;
    double GetFloat(const QByteArray &key, double defaultValue) const;
    QDateTime GetDateTime(const QByteArray &key, const QDateTime &defaultValue) const;

private:
    QByteArray m_text;
};

// Conversions shared with the packet's readers and writers, usable on any text.
namespace ZPack {
QByteArray upper(const QByteArray &text);            // ASCII a-z only
QByteArray escape(const QByteArray &value);
QByteArray unescape(const QByteArray &raw);
QByteArray formatFloat(double value);                // "3.14000000E0"
qint32 parseInteger(const QByteArray &text);         // throws EConvertError
double parseFloat(const QByteArray &text, double defaultValue); // exponent form; throws EConvertError
QByteArray formatDateTime(const QDateTime &value);   // "DDMMYYYYHHNNSS"
QDateTime parseDateTime(const QByteArray &text, const QDateTime &defaultValue);
}

// List text of the locator messages: WORD(item,item) without escaping.
QByteArray NewList(const QByteArray &word);
QByteArray AddListItem(const QByteArray &item, const QByteArray &list);
QByteArray GetListItem(const QByteArray &list, int index);
bool ListStartsWith(const QByteArray &word, const QByteArray &list);
bool ListHasItems(const QByteArray &list, int count);
