#include "DictionaryTable.h"

#include <QByteArrayView>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <iterator>

#include <csv.h>

using dictionaryformat::Texts;

namespace {

// The number, then one column per dictionary file.
constexpr int columnCount = 1 + dictionaryformat::fileCount;

char delimiterOf(DictionaryTable::Format format)
{
    return format == DictionaryTable::Format::Csv ? ',' : '\t';
}

void appendCell(QByteArray *table, const QByteArray &cell)
{
    // Every separator a spreadsheet's import may have ticked, whichever this table uses.
    const bool quoted = cell.contains(',') || cell.contains(';') || cell.contains('\t')
        || cell.contains('"') || cell.contains('\n') || cell.contains('\r');
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

DictionaryTable::Error errorAt(int line, int row, int column, const QString &message)
{
    return {line, row, column, message};
}

// One record of the table as libcsv hands it over: the cells' bytes, each with the text line on
// which it ends.
struct Record
{
    QList<QByteArray> cells;
    QList<int> cellLines;
};

// The text of one cell (column counted from 1), trimmed, or an error for bytes that are not
// UTF-8 or for a line break (the dictionary files hold one line per entry).
std::optional<QString>
cellText(const Record &record, int row, int column, DictionaryTable::Error *error)
{
    const QByteArray &bytes = record.cells.at(column - 1);
    const int line = record.cellLines.at(column - 1);
    if (!QByteArrayView(bytes).isValidUtf8()) {
        *error = errorAt(line,
                         row,
                         column,
                         DictionaryTable::tr("bytes that are not UTF-8; save the table as CSV "
                                             "with the character set Unicode (UTF-8)"));
        return std::nullopt;
    }
    if (bytes.contains('\n') || bytes.contains('\r')) {
        *error = errorAt(line - int(bytes.count('\n')),
                         row,
                         column,
                         DictionaryTable::tr("a line break inside the cell"));
        return std::nullopt;
    }
    QString text = QString::fromUtf8(bytes).trimmed();
    if (const std::optional<QString> meant = DictionaryTable::misreadUtf8(text)) {
        *error = errorAt(line,
                         row,
                         column,
                         DictionaryTable::tr("\"%1\" is UTF-8 read as a Western single-byte "
                                             "character set (Windows-1252 or ISO 8859-1); it was "
                                             "probably \"%2\". Open the exported table again "
                                             "choosing the character set Unicode (UTF-8), and "
                                             "save it so")
                             .arg(text, *meant));
        return std::nullopt;
    }
    return text;
}

DictionaryTable::Error headerError(int line, int column)
{
    return errorAt(line,
                   1,
                   column,
                   DictionaryTable::tr("the first row must name the columns %1")
                       .arg(DictionaryTable::columnNames().join(QStringLiteral(", "))));
}

// A header saved with another separator than the table's: one cell holding the names.
bool separatedBy(const Record &header, QChar separator)
{
    if (header.cells.isEmpty())
        return false;
    const QList<QString> names = DictionaryTable::columnNames();
    const QString cell = QString::fromUtf8(header.cells.constFirst()).trimmed();
    return cell.split(separator).size() == names.size()
        && cell.compare(names.join(separator), Qt::CaseInsensitive) == 0;
}

bool checkHeader(const Record &header, char delimiter, DictionaryTable::Error *error)
{
    const QList<QString> names = DictionaryTable::columnNames();
    for (const QChar separator : {u';', u',', u'\t'}) {
        if (separator == QChar::fromLatin1(delimiter) || !separatedBy(header, separator))
            continue;
        *error = errorAt(header.cellLines.constFirst(),
                         1,
                         0,
                         DictionaryTable::tr("the cells are separated by '%1' instead of '%2': "
                                             "save the table again with '%2' as the field "
                                             "delimiter (LibreOffice: Save As, Edit filter "
                                             "settings; Excel: CSV UTF-8 (Comma delimited))")
                             .arg(separator == u'\t' ? QStringLiteral("Tab") : QString(separator),
                                  delimiter == '\t' ? QStringLiteral("Tab")
                                                    : QString(QChar::fromLatin1(delimiter))));
        return false;
    }
    const auto misnamed = [&](int line, int column) {
        *error = headerError(line, column);
        return false;
    };
    for (int column = 1; column <= columnCount; ++column) {
        if (column > header.cells.size())
            return misnamed(header.cellLines.constLast(), column);
        const std::optional<QString> name = cellText(header, 1, column, error);
        if (!name)
            return false;
        if (name->compare(names.at(column - 1), Qt::CaseInsensitive) != 0)
            return misnamed(header.cellLines.at(column - 1), column);
    }
    // Empty cells after the names: a spreadsheet that split some row into more cells writes the
    // header as wide; that row is reported for itself.
    for (qsizetype column = columnCount; column < header.cells.size(); ++column) {
        if (!header.cells.at(column).trimmed().isEmpty())
            return misnamed(header.cellLines.at(column), int(column + 1));
    }
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

// Takes a table's records one by one as libcsv completes them and checks each at once, so that
// only the entries' lines are kept, never all the table's cells (a table of a million entries
// would need more than a gigabyte as cells).
class TableReader
{
public:
    TableReader(char delimiter, const DictionaryTable::Reading &reading);
    ~TableReader()
    {
        if (m_ready)
            csv_free(&m_parser);
    }
    Q_DISABLE_COPY_MOVE(TableReader)

    std::optional<Texts>
    read(QByteArrayView table, QList<DictionaryTable::Error> *errors, QList<int> *rows);

    void takeCell(const char *bytes, size_t size);
    void takeRecord();

private:
    void takeHeader();
    void takeEntry();
    // A fault of the row; the rows after it are read on until enough faults are found.
    void fault(const DictionaryTable::Error &error);
    // A fault after which nothing more can be read.
    void stop(const DictionaryTable::Error &error);
    // The entries placed by their numbers; the rows without one after the highest.
    Texts placedEntries(QList<int> *rows) const;

    csv_parser m_parser;
    bool m_ready = false;
    int m_line = 0; // the text line being fed to the parser
    int m_lastRecordLine = 0; // the text line on which the last whole record ended
    int m_row = 0; // the record being read, 1 being the header
    Record m_record;
    const char m_delimiter;
    const DictionaryTable::Reading m_reading;
    QList<DictionaryTable::Error> m_errors;
    qsizetype m_faultCount = 0;
    bool m_stopped = false;

    Texts m_entries; // in table order
    QList<int> m_numbers; // 0 for a row without a number
    QHash<int, int> m_rowOfNumber;
    int m_highest = 0;
};

extern "C" void cellRead(void *bytes, size_t size, void *reader)
{
    static_cast<TableReader *>(reader)->takeCell(static_cast<const char *>(bytes), size);
}

extern "C" void recordRead(int, void *reader)
{
    static_cast<TableReader *>(reader)->takeRecord();
}

// Spreadsheets keep a cell's blanks as they are; lines are trimmed afterwards.
extern "C" int isNeverSpace(unsigned char)
{
    return 0;
}

// libcsv in strict mode: a quote inside a cell that does not begin with one, text after a closing
// quote, or a quote never closed is an error instead of a guess.
TableReader::TableReader(char delimiter, const DictionaryTable::Reading &reading)
    : m_delimiter(delimiter)
    , m_reading(reading)
{
    m_ready = csv_init(&m_parser, CSV_STRICT | CSV_STRICT_FINI) == 0;
    csv_set_delim(&m_parser, static_cast<unsigned char>(delimiter));
    csv_set_space_func(&m_parser, isNeverSpace);
}

void TableReader::takeCell(const char *bytes, size_t size)
{
    m_record.cells.append(QByteArray(bytes, qsizetype(size)));
    m_record.cellLines.append(m_line);
}

void TableReader::takeRecord()
{
    ++m_row;
    m_lastRecordLine = m_line;
    if (!m_stopped && m_row == 1)
        takeHeader();
    else if (!m_stopped)
        takeEntry();
    m_record.cells.clear();
    m_record.cellLines.clear();
}

void TableReader::takeHeader()
{
    DictionaryTable::Error error;
    if (!checkHeader(m_record, m_delimiter, &error))
        stop(error);
}

void TableReader::fault(const DictionaryTable::Error &error)
{
    ++m_faultCount;
    if (m_errors.size() < std::max(m_reading.maxErrors, 1))
        m_errors.append(error);
}

void TableReader::stop(const DictionaryTable::Error &error)
{
    if (!m_stopped)
        fault(error);
    m_stopped = true;
}

void TableReader::takeEntry()
{
    DictionaryTable::Error error;
    const int cells = int(m_record.cells.size());
    if (cells != columnCount) {
        QString message
            = DictionaryTable::tr("expected %1 cells, found %2").arg(columnCount).arg(cells);
        if (cells > columnCount)
            message += QStringLiteral("; ")
                + DictionaryTable::tr("a spreadsheet probably split a cell at ';' (or at another "
                                      "separator ticked besides '%1'): open the table again with "
                                      "only '%1' ticked as separator (LibreOffice: Text Import, "
                                      "Separator Options), or export it again, which quotes "
                                      "such cells")
                      .arg(m_delimiter == '\t' ? QStringLiteral("Tab") : QStringLiteral(","));
        fault(errorAt(m_record.cellLines.at(std::min(cells, columnCount) - 1),
                      m_row,
                      std::min(cells + 1, columnCount + 1),
                      message));
        return;
    }
    QString texts[columnCount];
    for (int column = 1; column <= columnCount; ++column) {
        std::optional<QString> text = cellText(m_record, m_row, column, &error);
        if (!text) {
            fault(error);
            return;
        }
        texts[column - 1] = std::move(*text);
    }
    const std::optional<int> number = entryNumber(texts[0]);
    const int line = m_record.cellLines.constFirst();
    if (!number) {
        fault(errorAt(line,
                      m_row,
                      1,
                      DictionaryTable::tr("\"%1\" is not an entry number from 1 to %2; leave "
                                          "the cell empty for a new entry")
                          .arg(texts[0])
                          .arg(DictionaryTable::largestNumber)));
        return;
    }
    if (*number != 0) {
        const auto earlier = m_rowOfNumber.constFind(*number);
        if (earlier != m_rowOfNumber.constEnd()) {
            fault(errorAt(line,
                          m_row,
                          1,
                          DictionaryTable::tr("entry number %1 is already on row %2")
                              .arg(*number)
                              .arg(*earlier)));
            return;
        }
        m_rowOfNumber.insert(*number, m_row);
        m_highest = std::max(m_highest, *number);
    }
    m_numbers.append(*number);
    for (int file = 0; file < dictionaryformat::fileCount; ++file)
        m_entries[dictionaryformat::fileAt(file)].append(std::move(texts[file + 1]));
}

std::optional<Texts>
TableReader::read(QByteArrayView table, QList<DictionaryTable::Error> *errors, QList<int> *rows)
{
    if (!m_ready) {
        *errors = {errorAt(0, 0, 0, DictionaryTable::tr("out of memory"))};
        return std::nullopt;
    }
    // Fed one text line at a time, so that a fault is known by its line.
    for (qsizetype start = 0; start < table.size() && !m_stopped;) {
        const qsizetype lineEnd = table.indexOf('\n', start);
        const qsizetype end = lineEnd < 0 ? table.size() : lineEnd + 1;
        ++m_line;
        const QByteArrayView line = table.sliced(start, end - start);
        const size_t taken
            = csv_parse(&m_parser, line.data(), size_t(line.size()), cellRead, recordRead, this);
        if (taken != size_t(line.size())) {
            const bool tooLarge = csv_error(&m_parser) != CSV_EPARSE;
            stop(errorAt(m_line,
                         m_row + 1,
                         int(m_record.cells.size()) + 1,
                         tooLarge ? DictionaryTable::tr("the cell is too large")
                                  : DictionaryTable::tr(
                                      "a quote inside a cell that does not begin with one, "
                                      "or text after a closing quote; write a quote inside "
                                      "a quoted cell as \"\"")));
        }
        start = end;
    }
    if (!m_stopped && csv_fini(&m_parser, cellRead, recordRead, this) != 0 && !m_stopped) {
        const int line
            = m_record.cells.isEmpty() ? m_lastRecordLine + 1 : m_record.cellLines.constLast();
        stop(errorAt(line,
                     m_row + 1,
                     int(m_record.cells.size()) + 1,
                     DictionaryTable::tr("a quoted cell is never closed")));
    }
    if (m_errors.isEmpty() && m_row == 0) // not even a header
        stop(headerError(1, 1));
    if (m_reading.faultCount)
        *m_reading.faultCount = m_faultCount;
    if (!m_errors.isEmpty()) {
        *errors = m_errors;
        return std::nullopt;
    }
    return placedEntries(rows);
}

// The row of the table's index-th entry: rows count from 1 and the header is row 1.
Texts TableReader::placedEntries(QList<int> *rows) const
{
    // Rows without a number go after the highest number and after the dictionary's lines: a line
    // whose row was deleted stays empty instead of becoming a new entry's (an Anki note of the old
    // entry would be updated with the new one).
    const int highest = std::max(m_highest, m_reading.firstNewNumber - 1);
    bool inPlace = true; // as exported: row n + 1 holds entry n
    for (qsizetype index = 0; index < m_numbers.size() && inPlace; ++index)
        inPlace = m_numbers.at(index) == index + 1;
    if (rows) {
        rows->clear();
        rows->reserve(inPlace ? m_numbers.size() : highest + m_numbers.count(0));
    }
    if (inPlace) {
        for (qsizetype index = 0; rows && index < m_numbers.size(); ++index)
            rows->append(int(index + 2));
        return m_entries;
    }

    const qsizetype unnumbered = m_numbers.count(0);
    Texts placed;
    for (int file = 0; file < dictionaryformat::fileCount; ++file)
        placed[dictionaryformat::fileAt(file)].resize(highest + unnumbered);
    if (rows)
        rows->fill(0, highest + unnumbered);
    int nextNewNumber = highest + 1;
    for (qsizetype index = 0; index < m_numbers.size(); ++index) {
        const int number = m_numbers.at(index) != 0 ? m_numbers.at(index) : nextNewNumber++;
        if (rows)
            (*rows)[number - 1] = int(index + 2);
        for (int file = 0; file < dictionaryformat::fileCount; ++file) {
            const dictionaryformat::File which = dictionaryformat::fileAt(file);
            placed[which][number - 1] = m_entries[which].at(index);
        }
    }
    return placed;
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
    for (int file = 0; file < dictionaryformat::fileCount; ++file)
        lines = std::max(lines, texts[dictionaryformat::fileAt(file)].size());
    for (qsizetype index = 0; index < lines; ++index) {
        table += QByteArray::number(index + 1);
        for (int file = 0; file < dictionaryformat::fileCount; ++file) {
            table += delimiter;
            appendCell(&table, texts[dictionaryformat::fileAt(file)].value(index).toUtf8());
        }
        table += recordEnd;
    }
    return table;
}

std::optional<Texts> DictionaryTable::read(const QByteArray &table, Format format, Error *error)
{
    return read(table, format, error, nullptr);
}

std::optional<Texts>
DictionaryTable::read(const QByteArray &table, Format format, Error *error, QList<int> *rows)
{
    QList<Error> errors;
    std::optional<Texts> texts = read(table, format, Reading(), &errors, rows);
    if (!texts)
        *error = errors.value(0);
    return texts;
}

std::optional<Texts> DictionaryTable::read(const QByteArray &table,
                                           Format format,
                                           const Reading &reading,
                                           QList<Error> *errors,
                                           QList<int> *rows)
{
    QByteArrayView bytes(table);
    // Spreadsheets on some systems begin their UTF-8 files with a byte-order mark.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    return TableReader(delimiterOf(format), reading).read(bytes, errors, rows);
}

std::optional<QString> DictionaryTable::misreadUtf8(const QString &text)
{
    // Windows-1252's characters for the bytes 0x80 to 0x9F; 0 where it has none.
    static constexpr char16_t windows1252[32]
        = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
           0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
           0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    QByteArray bytes;
    bool beyondAscii = false;
    for (const QChar character : text) {
        const char16_t unit = character.unicode();
        if (unit <= 0xFF) {
            bytes += char(unit);
            beyondAscii = beyondAscii || unit >= 0x80;
            continue;
        }
        const char16_t *found = std::find(std::begin(windows1252), std::end(windows1252), unit);
        if (found == std::end(windows1252))
            return std::nullopt; // a character neither character set has: the text is genuine
        bytes += char(0x80 + (found - std::begin(windows1252)));
        beyondAscii = true;
    }
    // Text of those character sets is almost never valid UTF-8 once it holds a letter beyond
    // ASCII: "café" is not, "é£žè¡Œ" is.
    if (!beyondAscii || !QByteArrayView(bytes).isValidUtf8())
        return std::nullopt;
    return QString::fromUtf8(bytes);
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
