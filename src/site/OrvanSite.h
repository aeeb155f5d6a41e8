#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// One file's entry in the image's file table (26 bytes on disk).
struct TSiteSubHeader
{
    QByteArray Name;   // up to the first NUL of the 20-byte field
    quint32 Size = 0;
    quint16 Reserved = 0;
};

// A web site image (.qsw) in memory: an 8-byte header (Version, FileCount, TotalSize),
// FileCount sub-headers of 26 bytes, then per file a 4-byte copy of its size and its content.
// All integers little-endian. An image without files is 8 bytes long and says 34 in
// TotalSize, which is how the gateway's format has always written it.
//
// Every image that enters from outside (a file, the gateway) is checked before it is taken,
// so the operations below never read past the end of the block.
class TOrvanSite
{
public:
    static constexpr qint64 MaxSiteSize = 1572864; // 1.5 MiB, the gateway's space
    static constexpr int HeaderSize = 8;
    static constexpr int SubHeaderSize = 26;
    static constexpr int NameFieldSize = 20;
    static constexpr int EmptyTotalSize = 34;
    static constexpr int MaxNameBytes = NameFieldSize - 1; // a NUL always ends the name

    // An empty image bound to no file.
    TOrvanSite();

    // Loads fileName when it exists, otherwise starts an empty image; either way the image
    // is bound to fileName. False (image left empty, error set) when the file cannot be
    // read or is not a sound image.
    bool Create(const QString &fileName);

    // Version 1 and a TotalSize equal to the file's length: what the open command accepts.
    static bool IsSiteFile(const QString &path);
    // Empty when bytes form a sound image; otherwise why not, in words for the user.
    static QString CheckImage(const QByteArray &bytes);

    qint64 FreeSpace() const { return MaxSiteSize - Size(); }
    int FileCount() const;
    TSiteSubHeader GetSubHeader(int index) const;
    bool Contains(const QByteArray &name) const;
    int IndexOf(const QByteArray &name) const; // first file of that name, or -1

    // Appends the file at path, last in the table and the data. False (image unchanged,
    // error set) when the file cannot be read or is not a regular file (a FIFO, a device,
    // a folder), its name is empty or longer than MaxNameBytes, or it is too large for the format.
    bool AddFile(const QString &path);
    // Removes the first file of that name; nothing when there is none.
    void RemoveFile(const QByteArray &name);
    // The content of the first file of that name; empty when there is none.
    QByteArray FileContent(const QByteArray &name) const;
    // Writes that file's content to dest, replacing it. False when the name is absent
    // (nothing written) or the write fails (error set).
    bool ExtractFile(const QByteArray &name, const QString &dest);
    // Replaces the whole image. False (image unchanged, error set) when bytes are damaged.
    bool LoadFromStream(const QByteArray &bytes);
    // Writes the image to its file name. The old file is replaced only once the new one is
    // complete. False (error set) on failure.
    bool Save();

    const QByteArray &Image() const { return m_image; }
    qint64 Size() const { return m_image.size(); }
    QString FileName() const { return m_fileName; }
    void SetFileName(const QString &fileName) { m_fileName = fileName; }
    QString ErrorString() const { return m_error; }

    // The on-disk name of a file as it is stored in the image (8-bit, as the file system holds it).
    static QByteArray SiteName(const QString &path);

private:
    quint32 TotalSize() const;
    qint64 DataStart() const;             // offset of the data area
    qint64 DataOffset(int index) const;   // offset of file index's size copy
    void WriteHeader(quint16 fileCount);  // Version 1, the count, TotalSize from the length

    QByteArray m_image;
    QString m_fileName;
    QString m_error;
};
