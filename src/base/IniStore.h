#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// An INI file held in memory: sections in the order first created, keys in the order
// first written, values replaced in place. Names match without regard to letter case.
// Sections and keys the program does not know survive a load followed by a write, and so
// do lines before the first section. Comment lines are dropped. A leading UTF-8 byte-order
// mark is skipped. The file is 8-bit text; QString values cross the boundary as Latin-1.
class IniStore
{
public:
    IniStore() = default;
    // Binds to the path and loads the file when it exists.
    explicit IniStore(const QString &path);

    // Binds to a path. With load, the content is replaced by the file's (an empty store
    // when the file is missing); without, the content stays and is written there next
    // (clear() first for a fresh store). False when an existing file cannot be read.
    bool bind(const QString &path, bool load = true);
    QString path() const { return m_path; }

    // Replaces the content by the file at the bound path. A missing file gives an empty store.
    bool load();
    // Replaces the content by the given file text (any of CR LF, LF, CR end a line).
    void parse(const QByteArray &text);
    // The file text as written: CR LF line ends, an empty line after each section.
    QByteArray serialize() const;

    // Writes the whole store to the bound path through a temporary file, so a failed
    // write leaves the old file whole. On failure errorString() says why.
    bool write();
    QString errorString() const { return m_error; }
    // The mode every write gives the file, whatever it had. Unset (the default), a new file
    // gets the usual mode and a replaced one keeps its own.
    void setFilePermissions(std::optional<QFileDevice::Permissions> permissions) { m_permissions = permissions; }

    bool hasSection(const QString &section) const;
    bool hasKey(const QString &section, const QString &key) const;
    QStringList sections() const;
    QStringList keys(const QString &section) const;

    // The raw value, or nullopt when the section or key is absent.
    std::optional<QString> value(const QString &section, const QString &key) const;
    QString readString(const QString &section, const QString &key, const QString &defaultValue = {}) const;
    // Missing key or a value that is not a 32-bit decimal integer: the default.
    qint32 readInteger(const QString &section, const QString &key, qint32 defaultValue = 0) const;
    // True for any non-zero integer; false for "0"; the default for a missing key or
    // a value that is not an integer.
    bool readBool(const QString &section, const QString &key, bool defaultValue = false) const;

    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, qint32 value);
    void writeBool(const QString &section, const QString &key, bool value);

    void eraseSection(const QString &section);
    void eraseKey(const QString &section, const QString &key);
    void clear()
    {
        m_leading.clear();
        m_sections.clear();
    }

    // An optional sign and decimal digits that fit in 32 bits; nothing else.
    static std::optional<qint32> parseInteger(const QString &text);

private:
    struct Line
    {
        QByteArray key;   // empty with hasValue false: a line without "=", kept as it is
        QByteArray value;
        QByteArray raw;   // the trimmed line, for lines without "="
        bool hasValue = true;
    };
    struct Section
    {
        QByteArray name;
        QList<Line> lines;
    };

    Section *findSection(const QByteArray &name);
    const Section *findSection(const QByteArray &name) const;
    static Line *findLine(Section &section, const QByteArray &key);
    static const Line *findLine(const Section &section, const QByteArray &key);

    QString m_path;
    QString m_error;
    std::optional<QFileDevice::Permissions> m_permissions;
    QList<QByteArray> m_leading; // lines before the first section, as they were
    QList<Section> m_sections;
    mutable qsizetype m_lastSection = 0; // where findSection last found a name
};
