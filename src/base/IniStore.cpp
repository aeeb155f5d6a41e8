#include "base/IniStore.h"

#include "base/Bytes.h"

#include <QFile>
#include <QSaveFile>

#include <limits>

namespace {


char asciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// Names are 8-bit; only the ASCII letters fold.
bool sameName(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (asciiUpper(a[i]) != asciiUpper(b[i]))
            return false;
    return true;
}

QByteArray bytes(const QString &text)
{
    return text.toLatin1();
}

} // namespace

IniStore::IniStore(const QString &path)
{
    bind(path, true);
}

bool IniStore::bind(const QString &path, bool loadFile)
{
    m_path = path;
    return loadFile ? load() : true;
}

bool IniStore::load()
{
    clear();
    m_error.clear();
    QFile file(m_path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = file.errorString();
        return false;
    }
    parse(file.readAll());
    return true;
}

void IniStore::parse(const QByteArray &text)
{
    clear();
    Section *current = nullptr;
    // Editors that save UTF-8 may put a byte-order mark first; it would hide the first section.
    qsizetype pos = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < text.size()) {
        qsizetype end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        const QByteArray line = TrimBlanks(text.mid(pos, end - pos));
        // CR LF is one line end; CR alone and LF alone are one each.
        pos = end;
        if (pos < text.size()) {
            const bool cr = text[pos] == '\r';
            ++pos;
            if (cr && pos < text.size() && text[pos] == '\n')
                ++pos;
        }

        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[') && line.endsWith(']') && line.size() >= 2) {
            const QByteArray name = TrimBlanks(line.mid(1, line.size() - 2));
            current = findSection(name);
            if (!current) {
                m_sections.append(Section{name, {}});
                current = &m_sections.last();
            }
            continue;
        }
        if (!current) {
            m_leading.append(line); // belongs to no section, but is not the program's to drop
            continue;
        }
        Line entry;
        const qsizetype eq = line.indexOf('=');
        if (eq < 0) {
            entry.hasValue = false;
            entry.raw = line;
        } else {
            entry.key = TrimBlanks(line.left(eq));
            entry.value = TrimBlanks(line.mid(eq + 1));
        }
        current->lines.append(entry);
    }
}

QByteArray IniStore::serialize() const
{
    QByteArray out;
    for (const QByteArray &line : m_leading)
        out += line + "\r\n";
    if (!m_leading.isEmpty())
        out += "\r\n";
    for (const Section &section : m_sections) {
        out += '[' + section.name + "]\r\n";
        for (const Line &line : section.lines) {
            if (line.hasValue)
                out += line.key + '=' + line.value + "\r\n";
            else
                out += line.raw + "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

bool IniStore::write()
{
    m_error.clear();
    QSaveFile file(m_path);
    // Unbuffered: a buffered write that fails at flush time can go unnoticed by commit().
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_error = file.errorString();
        return false;
    }
    // Set before anything is written, so the content is never readable beyond the mode.
    if (m_permissions && !file.setPermissions(*m_permissions)) {
        m_error = file.errorString();
        file.cancelWriting();
        return false;
    }
    const QByteArray text = serialize();
    if (file.write(text) != text.size()) {
        m_error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        m_error = file.errorString();
        return false;
    }
    return true;
}

IniStore::Section *IniStore::findSection(const QByteArray &name)
{
    const Section *found = std::as_const(*this).findSection(name);
    return found ? &m_sections[found - m_sections.constData()] : nullptr;
}

const IniStore::Section *IniStore::findSection(const QByteArray &name) const
{
    // Section names are unique, and readers and writers go key after key through one
    // section: the last one found is tried first, so a file of many sections stays linear.
    if (m_lastSection < m_sections.size() && sameName(m_sections.at(m_lastSection).name, name))
        return &m_sections.at(m_lastSection);
    for (qsizetype i = 0; i < m_sections.size(); ++i) {
        if (sameName(m_sections.at(i).name, name)) {
            m_lastSection = i;
            return &m_sections.at(i);
        }
    }
    return nullptr;
}

// A key written twice in one file: the first one counts for reading and writing.
IniStore::Line *IniStore::findLine(Section &section, const QByteArray &key)
{
    for (Line &line : section.lines)
        if (line.hasValue && sameName(line.key, key))
            return &line;
    return nullptr;
}

const IniStore::Line *IniStore::findLine(const Section &section, const QByteArray &key)
{
    for (const Line &line : section.lines)
        if (line.hasValue && sameName(line.key, key))
            return &line;
    return nullptr;
}

bool IniStore::hasSection(const QString &section) const
{
    return findSection(bytes(section)) != nullptr;
}

bool IniStore::hasKey(const QString &section, const QString &key) const
{
    return value(section, key).has_value();
}

QStringList IniStore::sections() const
{
    QStringList names;
    for (const Section &section : m_sections)
        names.append(QString::fromLatin1(section.name));
    return names;
}

QStringList IniStore::keys(const QString &section) const
{
    QStringList names;
    if (const Section *found = findSection(bytes(section)))
        for (const Line &line : found->lines)
            if (line.hasValue)
                names.append(QString::fromLatin1(line.key));
    return names;
}

std::optional<QString> IniStore::value(const QString &section, const QString &key) const
{
    const Section *found = findSection(bytes(section));
    if (!found)
        return std::nullopt;
    const Line *line = findLine(*found, bytes(key));
    if (!line)
        return std::nullopt;
    return QString::fromLatin1(line->value);
}

QString IniStore::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    return value(section, key).value_or(defaultValue);
}

qint32 IniStore::readInteger(const QString &section, const QString &key, qint32 defaultValue) const
{
    const auto raw = value(section, key);
    if (!raw)
        return defaultValue;
    return parseInteger(*raw).value_or(defaultValue);
}

bool IniStore::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    const auto raw = value(section, key);
    if (!raw)
        return defaultValue;
    const auto number = parseInteger(*raw);
    return number ? *number != 0 : defaultValue;
}

void IniStore::writeString(const QString &section, const QString &key, const QString &value)
{
    const QByteArray sectionName = bytes(section);
    const QByteArray keyName = bytes(key);
    Section *found = findSection(sectionName);
    if (!found) {
        m_sections.append(Section{sectionName, {}});
        found = &m_sections.last();
    }
    if (Line *line = findLine(*found, keyName)) {
        line->value = bytes(value);
        return;
    }
    Line line;
    line.key = keyName;
    line.value = bytes(value);
    found->lines.append(line);
}

void IniStore::writeInteger(const QString &section, const QString &key, qint32 value)
{
    writeString(section, key, QString::number(value));
}

void IniStore::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniStore::eraseSection(const QString &section)
{
    const QByteArray name = bytes(section);
    m_sections.removeIf([&](const Section &s) { return sameName(s.name, name); });
}

void IniStore::eraseKey(const QString &section, const QString &key)
{
    if (Section *found = findSection(bytes(section))) {
        const QByteArray name = bytes(key);
        found->lines.removeIf([&](const Line &l) { return l.hasValue && sameName(l.key, name); });
    }
}

std::optional<qint32> IniStore::parseInteger(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    qsizetype i = 0;
    bool negative = false;
    if (text[0] == QLatin1Char('+') || text[0] == QLatin1Char('-')) {
        negative = text[0] == QLatin1Char('-');
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        magnitude = magnitude * 10 + (c.unicode() - '0');
        if (magnitude > qint64(1) << 31)
            return std::nullopt;
    }
    const qint64 result = negative ? -magnitude : magnitude;
    if (result > std::numeric_limits<qint32>::max() || result < std::numeric_limits<qint32>::min())
        return std::nullopt;
    return qint32(result);
}
