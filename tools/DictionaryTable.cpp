#include "DictionaryTable.h"

#include <QByteArrayView>
#include <QFileInfo>
#include <QHash>

#include <csv.h>

#include <memory>

using DictionaryFormat::Texts;

namespace {

// The number, then one column per dictionary file.
constexpr int columnCount = 1 + DictionaryFormat::fileCount;

char delimiterOf(DictionaryTable::Format format)
{
    return format == DictionaryTable::Format::Csv ? ',' : '\t';
}

// The five files, in the table's column order after the number.
constexpr QList<QString> Texts::*files[] = {&Texts::words,
                                            &Texts::translations,
                                            &Texts::partsOfSpeech,
                                            &Texts::phrases,
                                            &Texts::phraseTranslations};

void appendCell(QByteArray *table, const QByteArray &cell, char delimiter)
{
    const bool quoted = cell.contains(delimiter) || cell.contains('"') || cell.contains('\n')
        || cell.contains('\r');
    if (!quoted) {
        table->append(cell);
        return;
    }
    table->append('"');
    for (char byte : cell) {
        if (byte == '"')
            table->append('"');
        table->append(byte);
    }
    table->append('"');
}

// One record of the table as libcsv hands it over: the cells' bytes, each with the text line on
// which it ends.
struct Record
{
    QList<QByteArray> cells;
    QList<int> cellLines;
};

struct ParseState
{
    QList<Record> records;
    Record current;
    int line = 0; // the text line being fed to the parser
    int lastRecordLine = 0; // the text line on which the last whole record ended
};

extern "C" void cellRead(void *bytes, size_t size, void *data)
{
    auto *state = static_cast<ParseState *>(data);
    state->current.cells.append(QByteArray(static_cast<const char *>(bytes), qsizetype(size)));
    state->current.cellLines.append(state->line);
}

extern "C" void recordRead(int, void *data)
{
    auto *state = static_cast<ParseState *>(data);
    state->records.append(std::move(state->current));
    state->current = {};
    state->lastRecordLine = state->line;
}

// Spreadsheets keep a cell's blanks as they are; lines are trimmed afterwards, like every line
// the writer writes.
extern "C" int isNeverSpace(unsigned char)
{
    return 0;
}

// libcsv in strict mode: a quote inside a cell that does not begin with one, text after a closing
// quote, or a quote never closed is an error instead of a guess.
class CsvParser
{
public:
    explicit CsvParser(char delimiter)
    {
        m_ready = csv_init(&m_parser, CSV_STRICT | CSV_STRICT_FINI) == 0;
        csv_set_delim(&m_parser, static_cast<unsigned char>(delimiter));
        csv_set_space_func(&m_parser, isNeverSpace);
    }
    ~CsvParser() { csv_free(&m_parser); }
    Q_DISABLE_COPY_MOVE(CsvParser)

    bool isReady() const { return m_ready; }
    // The number of bytes taken before a fault; all of them when there is none.
    qsizetype parse(QByteArrayView bytes, ParseState *state)
    {
        return qsizetype(
            csv_parse(&m_parser, bytes.data(), size_t(bytes.size()), cellRead, recordRead, state));
    }
    bool finish(ParseState *state) { return csv_fini(&m_parser, cellRead, recordRead, state) == 0; }
    bool outOfMemory() { return csv_error(&m_parser) != CSV_EPARSE; }

private:
    csv_parser m_parser;
    bool m_ready = false;
};

DictionaryTable::Error errorAt(int line, int row, int column, const QString &message)
{
    return {line, row, column, message};
}

// Splits the table into records, one text line at a time so that a fault is known by its line.
bool parseRecords(QByteArrayView table,
                  char delimiter,
                  QList<Record> *records,
                  DictionaryTable::Error *error)
{
    CsvParser parser(delimiter);
    ParseState state;
    if (!parser.isReady()) {
        *error = errorAt(0, 0, 0, DictionaryTable::tr("out of memory"));
        return false;
    }
    for (qsizetype start = 0; start < table.size();) {
        const qsizetype lineEnd = table.indexOf('\n', start);
        const qsizetype end = lineEnd < 0 ? table.size() : lineEnd + 1;
        ++state.line;
        const QByteArrayView line = table.sliced(start, end - start);
        if (parser.parse(line, &state) != line.size()) {
            const int row = int(state.records.size()) + 1;
            const int column = int(state.current.cells.size()) + 1;
            *error
                = errorAt(state.line,
                          row,
                          column,
                          parser.outOfMemory()
                              ? DictionaryTable::tr("the cell is too large")
                              : DictionaryTable::tr("a quote inside a cell that does not begin "
                                                    "with one, or text after a closing quote; "
                                                    "write a quote inside a quoted cell as \"\""));
            return false;
        }
        start = end;
    }
    if (!parser.finish(&state)) {
        const int line = state.current.cells.isEmpty() ? state.lastRecordLine + 1
                                                       : state.current.cellLines.constLast();
        *error = errorAt(line,
                         int(state.records.size()) + 1,
                         int(state.current.cells.size()) + 1,
                         DictionaryTable::tr("a quoted cell is never closed"));
        return false;
    }
    *records = std::move(state.records);
    return true;
}

// The text of one cell, trimmed, or an error for bytes that are not UTF-8 or for a line break
// (the dictionary files hold one line per entry).
std::optional<QString>
cellText(const Record &record, int row, int column, DictionaryTable::Error *error)
{
    const QByteArray &bytes = record.cells.at(column - 1);
    const int line = record.cellLines.at(column - 1);
    if (!QByteArrayView(bytes).isValidUtf8()) {
        *error = errorAt(line, row, column, DictionaryTable::tr("bytes that are not UTF-8"));
        return std::nullopt;
    }
    if (bytes.contains('\n') || bytes.contains('\r')) {
        *error = errorAt(line - int(bytes.count('\n')),
                         row,
                         column,
                         DictionaryTable::tr("a line break inside the cell"));
        return std::nullopt;
    }
    return QString::fromUtf8(bytes).trimmed();
}

bool checkCellCount(const Record &record, int row, DictionaryTable::Error *error)
{
    const int cells = int(record.cells.size());
    if (cells == columnCount)
        return true;
    *error = errorAt(
        record.cellLines.at(std::min(cells, columnCount) - 1),
        row,
        std::min(cells + 1, columnCount + 1),
        DictionaryTable::tr("%1 cells where the header has %2").arg(cells).arg(columnCount));
    return false;
}

bool checkHeader(const QList<Record> &records, DictionaryTable::Error *error)
{
    const QList<QString> names = DictionaryTable::columnNames();
    const auto misnamed = [&](int line, int column) {
        *error = errorAt(line,
                         1,
                         column,
                         DictionaryTable::tr("the first row must name the columns %1")
                             .arg(names.join(QStringLiteral(", "))));
        return false;
    };
    if (records.isEmpty())
        return misnamed(1, 1);
    const Record &header = records.first();
    for (int column = 1; column <= columnCount; ++column) {
        if (column > header.cells.size())
            return misnamed(header.cellLines.constLast(), column);
        const std::optional<QString> name = cellText(header, 1, column, error);
        if (!name)
            return false;
        if (name->compare(names.at(column - 1), Qt::CaseInsensitive) != 0)
            return misnamed(header.cellLines.at(column - 1), column);
    }
    if (header.cells.size() > columnCount)
        return misnamed(header.cellLines.at(columnCount), columnCount + 1);
    return true;
}

// An entry number: ASCII digits only, 1 to largestNumber; 0 for an empty cell.
std::optional<int> entryNumber(const QString &text)
{
    if (text.isEmpty())
        return 0;
    if (text.size() > 8)
        return std::nullopt;
    int number = 0;
    for (QChar digit : text) {
        if (digit < u'0' || digit > u'9')
            return std::nullopt;
        number = number * 10 + (digit.unicode() - u'0');
    }
    if (number < 1 || number > DictionaryTable::largestNumber)
        return std::nullopt;
    return number;
}

} // namespace

std::optional<DictionaryTable::Format> DictionaryTable::formatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"csv")
        return Format::Csv;
    if (suffix == u"tsv")
        return Format::Tsv;
    return std::nullopt;
}

QList<QString> DictionaryTable::columnNames()
{
    return {QStringLiteral("number"),
            QStringLiteral("word"),
            QStringLiteral("translation"),
            QStringLiteral("partOfSpeech"),
            QStringLiteral("phrases"),
            QStringLiteral("phraseTranslations")};
}

QByteArray DictionaryTable::write(const Texts &texts, Format format)
{
    const char delimiter = delimiterOf(format);
    // RFC 4180 ends records with CR LF; tab-separated files are plain text lines.
    const QByteArray recordEnd = format == Format::Csv ? "\r\n" : "\n";
    QByteArray table = columnNames().join(QChar::fromLatin1(delimiter)).toUtf8() + recordEnd;

    qsizetype lines = 0;
    for (auto file : files)
        lines = std::max(lines, (texts.*file).size());
    for (qsizetype index = 0; index < lines; ++index) {
        table += QByteArray::number(index + 1);
        for (auto file : files) {
            table += delimiter;
            appendCell(&table, (texts.*file).value(index).toUtf8(), delimiter);
        }
        table += recordEnd;
    }
    return table;
}

std::optional<Texts> DictionaryTable::read(const QByteArray &table, Format format, Error *error)
{
    QByteArrayView bytes(table);
    // Spreadsheets on some systems begin their UTF-8 files with a byte-order mark.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QList<Record> records;
    if (!parseRecords(bytes, delimiterOf(format), &records, error) || !checkHeader(records, error))
        return std::nullopt;

    QList<QList<QString>> rows; // cells after the number, per record after the header
    QList<int> numbers; // 0 for a row without a number
    QHash<int, int> rowOfNumber;
    int highest = 0;
    rows.reserve(records.size() - 1);
    numbers.reserve(records.size() - 1);
    for (qsizetype index = 1; index < records.size(); ++index) {
        const Record &record = records.at(index);
        const int row = int(index) + 1;
        if (!checkCellCount(record, row, error))
            return std::nullopt;
        QList<QString> cells;
        for (int column = 1; column <= columnCount; ++column) {
            std::optional<QString> text = cellText(record, row, column, error);
            if (!text)
                return std::nullopt;
            cells.append(std::move(*text));
        }
        const std::optional<int> number = entryNumber(cells.first());
        if (!number) {
            *error = errorAt(record.cellLines.first(),
                             row,
                             1,
                             tr("\"%1\" is not an entry number from 1 to %2; leave the cell "
                                "empty for a new entry")
                                 .arg(cells.first())
                                 .arg(largestNumber));
            return std::nullopt;
        }
        if (*number != 0) {
            const auto earlier = rowOfNumber.constFind(*number);
            if (earlier != rowOfNumber.constEnd()) {
                *error = errorAt(
                    record.cellLines.first(),
                    row,
                    1,
                    tr("entry number %1 is already on row %2").arg(*number).arg(*earlier));
                return std::nullopt;
            }
            rowOfNumber.insert(*number, row);
            highest = std::max(highest, *number);
        }
        cells.removeFirst();
        rows.append(std::move(cells));
        numbers.append(*number);
    }

    const qsizetype unnumbered = numbers.count(0);
    Texts texts;
    for (auto file : files)
        (texts.*file).resize(highest + unnumbered);
    int nextNewNumber = highest + 1;
    for (qsizetype index = 0; index < rows.size(); ++index) {
        const int number = numbers.at(index) != 0 ? numbers.at(index) : nextNewNumber++;
        for (int column = 0; column < DictionaryFormat::fileCount; ++column)
            (texts.*files[column])[number - 1] = rows.at(index).at(column);
    }
    return texts;
}

QString DictionaryTable::describe(const Error &error)
{
    const QList<QString> names = columnNames();
    if (error.column >= 1 && error.column <= names.size())
        return tr("row %1, column %2 (%3): %4")
            .arg(error.row)
            .arg(error.column)
            .arg(names.at(error.column - 1), error.message);
    if (error.column > names.size())
        return tr("row %1, column %2: %3").arg(error.row).arg(error.column).arg(error.message);
    return error.message;
}
