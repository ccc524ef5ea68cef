#include "Dictzip.h"

#include <QList>

#include <zlib.h>

#include <algorithm>

namespace dictzip {

namespace {

void appendLittleEndian16(QByteArray *bytes, quint32 value)
{
    bytes->append(char(value & 0xFF));
    bytes->append(char((value >> 8) & 0xFF));
}

void appendLittleEndian32(QByteArray *bytes, quint32 value)
{
    appendLittleEndian16(bytes, value & 0xFFFF);
    appendLittleEndian16(bytes, value >> 16);
}

// Runs deflate over `input` with `flush`, appending all it writes to `output`; returns how many
// bytes it wrote.
qsizetype
deflateInto(z_stream *stream, const char *input, qsizetype size, int flush, QByteArray *output)
{
    stream->next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input));
    stream->avail_in = uInt(size);
    const qsizetype before = output->size();
    char buffer[1 << 16];
    do {
        stream->next_out = reinterpret_cast<Bytef *>(buffer);
        stream->avail_out = sizeof buffer;
        deflate(stream, flush);
        output->append(buffer, qsizetype(sizeof buffer - stream->avail_out));
    } while (stream->avail_out == 0);
    return output->size() - before;
}

} // namespace

QByteArray compress(const QByteArray &data, int chunkSize)
{
    // Raw deflate (negative window bits): the gzip header and trailer are written here, as the
    // header must carry the chunk table.
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    QByteArray body;
    QList<quint32> chunkSizes;
    for (qsizetype at = 0; at < data.size(); at += chunkSize) {
        const qsizetype size = std::min<qsizetype>(chunkSize, data.size() - at);
        chunkSizes.append(
            quint32(deflateInto(&stream, data.constData() + at, size, Z_FULL_FLUSH, &body)));
    }
    deflateInto(&stream, nullptr, 0, Z_FINISH, &body);
    deflateEnd(&stream);

    QByteArray file("\x1f\x8b\x08\x04", 4); // gzip, deflate, an extra field
    appendLittleEndian32(&file, 0); // no time, so that the same dictionary gives the same file
    file.append(char(0)); // default compression
    file.append(char(3)); // Unix
    const quint32 fieldSize = 6 + 2 * quint32(chunkSizes.size());
    appendLittleEndian16(&file, 4 + fieldSize);
    file.append("RA", 2);
    appendLittleEndian16(&file, fieldSize);
    appendLittleEndian16(&file, 1); // version
    appendLittleEndian16(&file, quint32(chunkSize));
    appendLittleEndian16(&file, quint32(chunkSizes.size()));
    for (const quint32 size : chunkSizes)
        appendLittleEndian16(&file, size);
    file.append(body);
    const uLong crc = crc32(
        crc32(0, nullptr, 0), reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size()));
    appendLittleEndian32(&file, quint32(crc));
    appendLittleEndian32(&file, quint32(data.size()));
    return file;
}

} // namespace dictzip
