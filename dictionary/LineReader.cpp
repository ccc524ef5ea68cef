#include "LineReader.h"

#include <QFileInfo>

#include <algorithm>
#include <array>

bool LineReader::FinalLineEndDevice::openFile(const QString &path)
{
    m_file.setFileName(path);
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return false;
    if (!m_file.open(QIODevice::ReadOnly))
        return false;
    return open(QIODevice::ReadOnly | QIODevice::Text | QIODevice::Unbuffered);
}

bool LineReader::FinalLineEndDevice::atEnd() const
{
    return m_finished || (m_file.atEnd() && m_lastByte == '\n');
}

qint64 LineReader::FinalLineEndDevice::readData(char *data, qint64 maxSize)
{
    if (m_finished)
        return -1;
    if (maxSize <= 0)
        return 0;
    qint64 read = m_file.read(data, maxSize);
    if (read > 0) {
        m_lastByte = data[read - 1];
        // In the same block as the last bytes, so they decode as they would before any line end.
        if (m_lastByte != '\n' && read < maxSize && m_file.atEnd()) {
            data[read++] = '\n';
            m_finished = true;
        }
        return read;
    }
    // The end of the file, or an error reading it: either way no more bytes come from it.
    m_finished = true;
    if (m_lastByte == '\n')
        return -1;
    data[0] = '\n';
    return 1;
}

LineReader::LineReader()
{
    m_stream.setDevice(&m_device);
}

qsizetype LineReader::countLines(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return 0;
    qsizetype lines = 0;
    char lastByte = '\n';
    std::array<char, 1 << 16> block;
    for (qint64 read; (read = file.read(block.data(), block.size())) > 0;) {
        lines += std::count(block.data(), block.data() + read, '\n');
        lastByte = block[read - 1];
    }
    return lines + (lastByte == '\n' ? 0 : 1);
}

bool LineReader::open(const QString &path)
{
    return m_device.openFile(path);
}

bool LineReader::atEnd() const
{
    return m_stream.atEnd();
}

QString LineReader::readLine()
{
    return m_stream.readLine();
}

void LineReader::readLineInto(QString *line)
{
    if (!m_stream.readLineInto(line))
        line->clear();
}
