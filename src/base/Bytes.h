#pragma once

#include <QByteArray>

// Text without the blanks around it; blanks are every byte up to the space (control
// characters included), as the files and packets of other tools carry them.
inline QByteArray TrimBlanks(const QByteArray &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && quint8(text[begin]) <= ' ')
        ++begin;
    while (end > begin && quint8(text[end - 1]) <= ' ')
        --end;
    return text.mid(begin, end - begin);
}
