#include "site/OrvanSite.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Byte by byte: callers have checked the bounds, and this keeps the compiler's
// bounds analysis quiet about the shared empty array.
quint16 get16(const QByteArray &b, qint64 at)
{
    return quint16(uchar(b.at(at)) | uchar(b.at(at + 1)) << 8);
}

quint32 get32(const QByteArray &b, qint64 at)
{
    return quint32(get16(b, at)) | quint32(get16(b, at + 2)) << 16;
}

void put16(QByteArray &b, qint64 at, quint16 v)
{
    qToLittleEndian<quint16>(v, b.data() + at);
}

void put32(QByteArray &b, qint64 at, quint32 v)
{
    qToLittleEndian<quint32>(v, b.data() + at);
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    put32(b, 0, v);
    return b;
}

QByteArray emptyImage()
{
    QByteArray b(TOrvanSite::HeaderSize, '\0');
    put16(b, 0, 1);
    put16(b, 2, 0);
    put32(b, 4, TOrvanSite::EmptyTotalSize);
    return b;
}

QByteArray nameAt(const QByteArray &image, qint64 at)
{
    const char *p = image.constData() + at;
    return QByteArray(p, qstrnlen(p, TOrvanSite::NameFieldSize));
}

} // namespace

TOrvanSite::TOrvanSite() : m_image(emptyImage()) {}

bool TOrvanSite::Create(const QString &fileName)
{
    m_fileName = fileName;
    m_image = emptyImage();
    m_error.clear();
    if (!QFileInfo::exists(fileName))
        return true;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("Cannot read \"%1\": %2").arg(fileName, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_error = QStringLiteral("Cannot read \"%1\": %2").arg(fileName, file.errorString());
        return false;
    }
    const QString damage = CheckImage(bytes);
    if (!damage.isEmpty()) {
        m_error = QStringLiteral("\"%1\" is not a valid Orvan Web Site file: %2").arg(fileName, damage);
        return false;
    }
    m_image = bytes;
    return true;
}

bool TOrvanSite::IsSiteFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(HeaderSize);
    if (head.size() < HeaderSize)
        return false;
    return get16(head, 0) == 1 && qint64(get32(head, 4)) == file.size();
}

QString TOrvanSite::CheckImage(const QByteArray &bytes)
{
    const qint64 length = bytes.size();
    if (length < HeaderSize)
        return QStringLiteral("the file is shorter than its 8-byte header.");
    if (get16(bytes, 0) != 1)
        return QStringLiteral("the version is %1, not 1.").arg(get16(bytes, 0));
    const quint16 count = get16(bytes, 2);
    const quint32 total = get32(bytes, 4);
    if (count == 0) {
        if (length != HeaderSize)
            return QStringLiteral("it holds no files but is %1 bytes long.").arg(length);
        if (total != EmptyTotalSize && total != HeaderSize)
            return QStringLiteral("its recorded size %1 does not match its length %2.").arg(total).arg(length);
        return {};
    }
    const qint64 tableEnd = HeaderSize + qint64(SubHeaderSize) * count;
    if (tableEnd > length)
        return QStringLiteral("its table of %1 files runs past the end of the file.").arg(count);
    qint64 at = tableEnd;
    for (int i = 0; i < count; ++i) {
        const qint64 sub = HeaderSize + qint64(SubHeaderSize) * i;
        const quint32 size = get32(bytes, sub + NameFieldSize);
        if (nameAt(bytes, sub).isEmpty())
            return QStringLiteral("file %1 has no name.").arg(i + 1);
        if (at + 4 > length || at + 4 + qint64(size) > length)
            return QStringLiteral("the data of file %1 runs past the end of the file.").arg(i + 1);
        if (get32(bytes, at) != size)
            return QStringLiteral("the two sizes recorded for file %1 differ.").arg(i + 1);
        at += 4 + qint64(size);
    }
    if (at != length)
        return QStringLiteral("%1 bytes follow the last file.").arg(length - at);
    if (qint64(total) != length)
        return QStringLiteral("its recorded size %1 does not match its length %2.").arg(total).arg(length);
    return {};
}

int TOrvanSite::FileCount() const
{
    return get16(m_image, 2);
}

quint32 TOrvanSite::TotalSize() const
{
    return get32(m_image, 4);
}

TSiteSubHeader TOrvanSite::GetSubHeader(int index) const
{
    TSiteSubHeader h;
    if (index < 0 || index >= FileCount())
        return h;
    const qint64 at = HeaderSize + qint64(SubHeaderSize) * index;
    h.Name = nameAt(m_image, at);
    h.Size = get32(m_image, at + NameFieldSize);
    h.Reserved = get16(m_image, at + NameFieldSize + 4);
    return h;
}

int TOrvanSite::IndexOf(const QByteArray &name) const
{
    const int count = FileCount();
    for (int i = 0; i < count; ++i) {
        if (nameAt(m_image, HeaderSize + qint64(SubHeaderSize) * i) == name)
            return i;
    }
    return -1;
}

bool TOrvanSite::Contains(const QByteArray &name) const
{
    return IndexOf(name) >= 0;
}

qint64 TOrvanSite::DataStart() const
{
    return HeaderSize + qint64(SubHeaderSize) * FileCount();
}

qint64 TOrvanSite::DataOffset(int index) const
{
    qint64 at = DataStart();
    for (int i = 0; i < index; ++i)
        at += 4 + qint64(GetSubHeader(i).Size);
    return at;
}

void TOrvanSite::WriteHeader(quint16 fileCount)
{
    put16(m_image, 0, 1);
    put16(m_image, 2, fileCount);
    put32(m_image, 4, fileCount == 0 ? quint32(EmptyTotalSize) : quint32(m_image.size()));
}

QByteArray TOrvanSite::SiteName(const QString &path)
{
    return QFile::encodeName(QFileInfo(path).fileName());
}

bool TOrvanSite::AddFile(const QString &path)
{
    m_error.clear();
    const QByteArray name = SiteName(path);
    if (name.isEmpty() || name.size() > MaxNameBytes) {
        m_error = QStringLiteral("The file name \"%1\" cannot be stored in a web site image.").arg(QFileInfo(path).fileName());
        return false;
    }
    if (FileCount() >= 0xFFFF) {
        m_error = QStringLiteral("A web site image cannot hold more files.");
        return false;
    }
    // Opened without blocking and checked on the open descriptor: a FIFO or a device would
    // pass the size check (size 0) and then block the window, or never end, when read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_error = QStringLiteral("Cannot read \"%1\": %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        m_error = QStringLiteral("Cannot read \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    struct stat info{};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        m_error = QStringLiteral("\"%1\" is not a regular file.").arg(path);
        return false;
    }
    if (qint64(info.st_size) > qint64(0xFFFFFFFFu) - 64) {
        m_error = QStringLiteral("The file \"%1\" is too large.").arg(path);
        return false;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_error = QStringLiteral("Cannot read \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    const quint32 size = quint32(content.size());

    // Build the new image aside so a failure part-way leaves the old one.
    QByteArray sub(SubHeaderSize, '\0');
    memcpy(sub.data(), name.constData(), size_t(name.size()));
    put32(sub, NameFieldSize, size);
    put16(sub, NameFieldSize + 4, 0);

    const qint64 tableEnd = DataStart();
    const int count = FileCount();
    QByteArray image;
    image.reserve(m_image.size() + SubHeaderSize + 4 + content.size());
    if (count == 0) {
        image = m_image.left(HeaderSize);
    } else {
        image = m_image.left(tableEnd);
    }
    image += sub;
    if (count > 0)
        image += QByteArrayView(m_image).sliced(tableEnd);
    image += le32(size);
    image += content;
    m_image = image;
    WriteHeader(quint16(count + 1));
    return true;
}

void TOrvanSite::RemoveFile(const QByteArray &name)
{
    const int index = IndexOf(name);
    if (index < 0)
        return;
    const int count = FileCount();
    const qint64 subAt = HeaderSize + qint64(SubHeaderSize) * index;
    const qint64 dataStart = DataStart();
    const qint64 dataAt = DataOffset(index);
    const qint64 dataLen = 4 + qint64(GetSubHeader(index).Size);

    const QByteArrayView old(m_image);
    QByteArray image;
    image.reserve(m_image.size() - SubHeaderSize - dataLen);
    image += old.first(subAt);                                         // header, tables before
    image += old.sliced(subAt + SubHeaderSize, dataStart - subAt - SubHeaderSize); // tables after
    image += old.sliced(dataStart, dataAt - dataStart);                // data before
    image += old.sliced(dataAt + dataLen);                             // data after
    m_image = image;
    WriteHeader(quint16(count - 1));
}

QByteArray TOrvanSite::FileContent(const QByteArray &name) const
{
    const int index = IndexOf(name);
    if (index < 0)
        return {};
    return m_image.mid(DataOffset(index) + 4, GetSubHeader(index).Size);
}

bool TOrvanSite::ExtractFile(const QByteArray &name, const QString &dest)
{
    m_error.clear();
    if (!Contains(name))
        return false;
    QSaveFile file(dest);
    if (!file.open(QIODevice::WriteOnly) || file.write(FileContent(name)) < 0 || !file.commit()) {
        m_error = QStringLiteral("Cannot write \"%1\": %2").arg(dest, file.errorString());
        return false;
    }
    return true;
}

bool TOrvanSite::LoadFromStream(const QByteArray &bytes)
{
    m_error = CheckImage(bytes);
    if (!m_error.isEmpty()) {
        m_error = QStringLiteral("The Web Site received is damaged: %1").arg(m_error);
        return false;
    }
    m_image = bytes;
    return true;
}

bool TOrvanSite::Save()
{
    m_error.clear();
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_image) != m_image.size() || !file.commit()) {
        m_error = QStringLiteral("Cannot write \"%1\": %2").arg(m_fileName, file.errorString());
        return false;
    }
    return true;
}
