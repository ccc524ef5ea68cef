#include "HostileFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

// Under AddressSanitizer, realloc copies where glibc remaps, and the text stream grows its line
// buffer in steps: reading one line then takes time quadratic in its length (a 20 MB line about
// 20 s instead of 0.1 s), so the sanitizer build reads shorter long lines.
#if defined(__SANITIZE_ADDRESS__)
#define UNDER_ADDRESS_SANITIZER
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UNDER_ADDRESS_SANITIZER
#endif
#endif

namespace hostilefiles {

namespace {

#ifdef UNDER_ADDRESS_SANITIZER
constexpr int longLineBytes = 4 * 1024 * 1024;
#else
constexpr int longLineBytes = 20 * 1024 * 1024;
#endif

// `count` lines: `text` followed by the line number.
QByteArray numberedLines(int count, const QByteArray &text)
{
    QByteArray lines;
    lines.reserve(count * (text.size() + 8));
    for (int n = 1; n <= count; ++n)
        lines += text + QByteArray::number(n) + '\n';
    return lines;
}

// Five consistent files of `count` lines each.
RawDictionaryFiles numberedFiles(int count)
{
    return {numberedLines(count, "w"),
            numberedLines(count, "译"),
            numberedLines(count, "ko."),
            numberedLines(count, "rado "),
            numberedLines(count, "门")};
}

// `files` with `file` cut to its first `count` lines.
RawDictionaryFiles cutFile(RawDictionaryFiles files, int file, int count)
{
    qsizetype end = 0;
    for (int n = 0; n < count; ++n)
        end = files[file].indexOf('\n', end) + 1;
    files[file].truncate(end);
    return files;
}

} // namespace

const RawDictionaryFiles firstLine{"kalo", "门", "ka.", "kalo rado,sumi kalo", "门安全,小门"};
const RawDictionaryFiles lastLine{"tavu", "禾岚", "ko.", "tavu huhuhu", "禾岚航空"};
const QString firstRecord = "1|kalo|门|ka.|kalo rado/sumi kalo|门安全/小门";
const QString lastRecord = "3|tavu|禾岚|ko.|tavu huhuhu|禾岚航空";

// Three lines per file: `middle` between the two ordinary records.
RawDictionaryFiles around(const RawDictionaryFiles &middle)
{
    RawDictionaryFiles files;
    for (int i = 0; i < dictionaryFileNames().size(); ++i)
        files[i] = firstLine[i] + '\n' + middle[i] + '\n' + lastLine[i] + '\n';
    return files;
}

QString textsPath(const QString &folder, int file)
{
    return folder + "/texts/" + dictionaryFileNames().at(file);
}

// Writes `folder`/texts/ as the program expects to find it.
bool writeTexts(const QString &folder, const RawDictionaryFiles &files)
{
    if (!QDir(folder).mkpath("texts"))
        return false;
    for (int i = 0; i < dictionaryFileNames().size(); ++i) {
        if (!writeBytes(textsPath(folder, i), files[i]))
            return false;
    }
    return true;
}

bool loadTexts(ConlangDictionary &dictionary, const QString &folder)
{
    return dictionary.loadDictionaryFiles(textsPath(folder, 0),
                                          textsPath(folder, 1),
                                          textsPath(folder, 2),
                                          textsPath(folder, 3),
                                          textsPath(folder, 4));
}

// The records numbered `first` up to `last`, in number order; missing numbers are skipped.
QList<QString> recordsBetween(const ConlangDictionary &dictionary, int first, int last)
{
    QList<QString> records;
    for (int number = first; number <= last; ++number) {
        if (const DictionaryEntry *entry = dictionary.lookupByNumIndex(number))
            records.append(describeRecord(*entry));
    }
    return records;
}

QString openError(const QString &path)
{
    return QStringLiteral("错误：无法打开文件 \"%1\"").arg(path);
}

QString lineCountWarning(int line)
{
    return QStringLiteral("警告：文件行数不匹配（第 %1 行）").arg(line);
}

// Replaces whatever is at `path` by `replacement`; FIFOs made are added to `fifos`.
bool replacePath(const QString &path, Replacement replacement, QList<QString> &fifos)
{
    if (QFileInfo(path).isDir() ? !QDir(path).removeRecursively()
                                : (QFile::exists(path) && !QFile::remove(path)))
        return false;
    const QByteArray fifo = QFile::encodeName(path + ".fifo");
    switch (replacement) {
    case Replacement::Missing:
        return true;
    case Replacement::Directory:
        return QDir().mkdir(path);
    case Replacement::Fifo:
        fifos.append(path);
        return mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    case Replacement::LinkToFifo:
        fifos.append(QFile::decodeName(fifo));
        return mkfifo(fifo.constData(), 0600) == 0 && QFile::link(QFile::decodeName(fifo), path);
    case Replacement::DanglingLink:
        return QFile::link(path + ".nowhere", path);
    }
    return false;
}

FifoWriterStandIn::FifoWriterStandIn(const QList<QString> &fifos)
{
    for (const QString &fifo : fifos)
        m_paths.append(QFile::encodeName(fifo));
    m_thread = std::thread([this] { run(); });
}

FifoWriterStandIn::~FifoWriterStandIn()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void FifoWriterStandIn::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_wake.wait_for(lock, std::chrono::milliseconds(20), [this] { return m_stop; })) {
        for (const QByteArray &path : std::as_const(m_paths)) {
            const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
    }
}

QString numberedRecord(int n)
{
    return QStringLiteral("%1|w%1|译%1|ko.%1|rado %1|门%1").arg(n);
}

void addLongLineRows()
{
    QTest::addColumn<RawDictionaryFiles>("middle"); // line 2 of each file
    QTest::addColumn<int>("longFile");
    QTest::addColumn<QString>("query"); // reaches the long line through the search

    const int megabytes = longLineBytes / (1024 * 1024);
    QTest::addRow("word line of %d MB", megabytes)
        << RawDictionaryFiles{QByteArray(longLineBytes, 'x'), "长", "ko.", "", ""} << 0 << "xxxx";
    QTest::addRow("phrase line of %d MB", megabytes)
        << RawDictionaryFiles{"mira", "镜子", "n.", QByteArray(longLineBytes, 'y'), "长词组"} << 3
        << "mira";
}

void addBrokenUtf8Rows()
{
    QTest::addColumn<RawDictionaryFiles>("files");
    QTest::addColumn<QList<QString>>("records");

    // Each broken line decodes as Qt's UTF-8 decoder decodes it on its own: every bad sequence
    // becomes U+FFFD and nothing around it is lost.
    const auto decoded = [](const QByteArray &bytes) { return QString::fromUtf8(bytes); };
    const auto row = [&](const char *name,
                         const RawDictionaryFiles &middle,
                         const QString &record) {
        QTest::newRow(name) << around(middle) << QList<QString>{firstRecord, record, lastRecord};
    };
    row("encoded surrogate in a word",
        {"ka\xED\xA0\x80lo", "断", "ko.", "", ""},
        decoded("2|ka\xED\xA0\x80lo|断|ko.||"));
    row("encoded surrogate pair in a phrase",
        {"sumi", "书", "ko.", "sumi \xED\xA0\xBD\xED\xB8\x80,sumi", "书笑,书"},
        decoded("2|sumi|书|ko.|sumi \xED\xA0\xBD\xED\xB8\x80/sumi|书笑/书"));
    row("overlong comma does not separate",
        {"rado", "安全", "", "p\xC0\xACq", "甲"},
        decoded("2|rado|安全||p\xC0\xACq|甲"));
    row("overlong NUL and slash",
        {"a\xC0\x80\xC0\xAF", "零", "", "", ""},
        decoded("2|a\xC0\x80\xC0\xAF|零|||"));
    row("code point beyond U+10FFFF",
        {"b\xF4\x90\x80\x80", "大", "", "", ""},
        decoded("2|b\xF4\x90\x80\x80|大|||"));
    row("stray continuation bytes",
        {"\x80mira\xBF", "镜子", "n.", "", ""},
        decoded("2|\x80mira\xBF|镜子|n.||"));
    row("truncated sequence before the line end",
        {"duan", "断\xE4\xB8", "", "", ""},
        decoded("2|duan|断\xE4\xB8|||"));
    row("translation of one invalid byte", {"c", "\xFF", "", "", ""}, decoded("2|c|\xFF|||"));
    // Files cut in the middle of a character, without a final line end: the last line is one
    // incomplete character, which still holds the place of a line.
    QTest::newRow("word file ends in half a character")
        << RawDictionaryFiles{"kalo\n\xE4\xB8", "门\n禾岚\n", "\n\n", "\n\n", "\n\n"}
        << QList<QString>{"1|kalo|门|||", decoded("2|\xE4\xB8|禾岚|||")};
    QTest::newRow("translation file ends in half a character")
        << RawDictionaryFiles{"kalo\ntavu\n", "门\n\xE4", "\n\n", "\n\n", "\n\n"}
        << QList<QString>{"1|kalo|门|||", decoded("2|tavu|\xE4|||")};
}

void addShortFileRows()
{
    QTest::addColumn<RawDictionaryFiles>("files");
    QTest::addColumn<int>("records"); // numbered 1 to this
    QTest::addColumn<QList<QString>>("warnings");

    constexpr int many = 100000;
    const RawDictionaryFiles consistent = numberedFiles(many);
    QTest::newRow("1 word, 100,000 lines in the others")
        << cutFile(consistent, 0, 1) << 1 << QList<QString>{};
    const QList<const char *> names
        = {"", "translations", "parts of speech", "phrase lines", "phrase translations"};
    for (int file = 1; file < names.size(); ++file) {
        QTest::addRow("100,000 words, 3 %s", names[file])
            << cutFile(consistent, file, 3) << 3 << QList<QString>{lineCountWarning(4)};
    }
    RawDictionaryFiles unterminated = cutFile(consistent, 1, 3);
    unterminated.translations.chop(1);
    QTest::newRow("100,000 words, 3 translations without a final line end")
        << unterminated << 3 << QList<QString>{lineCountWarning(4)};
    QTest::newRow("100,000 words, no translations")
        << cutFile(consistent, 1, 0) << 0 << QList<QString>{lineCountWarning(1)};
    QTest::newRow("10,000 words, one translation less")
        << cutFile(cutFile(consistent, 0, 10000), 1, 9999) << 9999
        << QList<QString>{lineCountWarning(10000)};
}

void addSeparatorFloodRows()
{
    QTest::addColumn<RawDictionaryFiles>("middle"); // line 2 of each file; its word is mira
    QTest::addColumn<int>("phrases"); // phrases kept on line 2
    QTest::addColumn<QList<QString>>("warnings");
    QTest::addColumn<QString>("phraseQuery"); // finds mira through its phrases; empty: none

    const QByteArray commas(100000, ',');
    QTest::newRow("phrase line of 100,000 commas")
        << RawDictionaryFiles{"mira", "镜子", "n.", commas, commas} << 0 << QList<QString>{}
        << QString();
    QTest::newRow("100,000 commas against one translation")
        << RawDictionaryFiles{"mira", "镜子", "n.", commas, "镜书"} << 0
        << QList<QString>{"警告：词组与翻译数量不匹配（第 2 行）"} << QString();
    QTest::newRow("50,000 phrases between 100,000 commas")
        << RawDictionaryFiles{"mira",
                              "镜子",
                              "n.",
                              QByteArray(",mira sumi,").repeated(50000),
                              QByteArray(",镜书,").repeated(50000)}
        << 50000 << QList<QString>{} << "mira sumi";
    QTest::newRow("100,000 semicolons as parts of speech")
        << RawDictionaryFiles{"mira", "镜子", QByteArray(100000, ';'), "mira sumi", "镜书"} << 1
        << QList<QString>{} << "mira sumi";
    QTest::newRow("100,000 commas as the translation")
        << RawDictionaryFiles{"mira", commas, "n.", "mira sumi", commas} << 0
        << QList<QString>{"警告：词组与翻译数量不匹配（第 2 行）"} << QString();
}

} // namespace hostilefiles
