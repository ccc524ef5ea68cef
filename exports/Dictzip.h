#ifndef DICTZIP_H
#define DICTZIP_H

#include <QByteArray>

// Compresses bytes as a dictzip file (.dz): a gzip file that any gzip reader uncompresses whole,
// whose "RA" extra field lists the compressed size of every chunk of `chunkSize` uncompressed
// bytes, so that dictionary readers (StarDict readers, the dictd server) uncompress only the
// chunk an article lies in. Each chunk ends in a full flush, which makes it start afresh.
// Written with zlib (the dictzip program does the same; it has no library to call).
namespace dictzip {

// dictzip's own chunk length: its compressed form still fits the 16-bit sizes of the table.
inline constexpr int defaultChunkSize = 58315;

QByteArray compress(const QByteArray &data, int chunkSize = defaultChunkSize);

} // namespace dictzip

#endif // DICTZIP_H
