// One input is a table for `varnell-dict import`: its first byte picks CSV (even) or TSV (odd),
// the rest is the table. A table that is refused must be refused at a real row and column; a
// table that is read must be written and read back to the very same lines.

#include "DictionaryTable.h"
#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const DictionaryTable::Format format
        = data[0] % 2 ? DictionaryTable::Format::Tsv : DictionaryTable::Format::Csv;
    const QByteArray table(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    DictionaryTable::Error error;
    QList<int> rows;
    const std::optional<dictionaryformat::Texts> texts
        = DictionaryTable::read(table, format, &error, &rows);
    if (!texts) {
        if (error.line < 1 || error.row < 1 || error.column < 1 || error.message.isEmpty())
            brokenPromiseFound(QStringLiteral("a fault without its place: line %1, row %2, "
                                              "column %3: %4")
                                   .arg(error.line)
                                   .arg(error.row)
                                   .arg(error.column)
                                   .arg(error.message));
        return 0;
    }
    if (rows.size() != texts->words.size())
        brokenPromiseFound(
            QStringLiteral("%1 rows named for %2 lines").arg(rows.size()).arg(texts->words.size()));
    if (texts->words.size() > 100'000) // a high entry number: many empty lines, nothing new
        return 0;
    const std::optional<dictionaryformat::Texts> again
        = DictionaryTable::read(DictionaryTable::write(*texts, format), format, &error);
    if (!again)
        brokenPromiseFound(QStringLiteral("a written table is refused: row %1, column %2: %3")
                               .arg(error.row)
                               .arg(error.column)
                               .arg(error.message));
    for (int file = 0; file < dictionaryformat::fileCount; ++file) {
        const dictionaryformat::File which = dictionaryformat::fileAt(file);
        if ((*again)[which] != (*texts)[which])
            brokenPromiseFound(QStringLiteral("file %1 changed on the way through a table")
                                   .arg(dictionaryformat::fileName(which)));
    }
    return 0;
}
