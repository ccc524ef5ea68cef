// Dictionary files and queries that a careless editor, a broken copy or a prankster may produce:
// huge lines, huge dictionaries, broken UTF-8, NUL bytes, lone surrogates, files that are no
// files, files that vanish, files of wildly different lengths and floods of separators. Every
// case uses real files in temporary folders, the real loader and the real window.

#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "DictionaryFiles.h"
#include "LogCapture.h"
#include "ResultCard.h"
#include "WindowTestSupport.h"

using namespace WindowTest;

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

namespace {

#ifdef UNDER_ADDRESS_SANITIZER
constexpr int longLineBytes = 4 * 1024 * 1024;
#else
constexpr int longLineBytes = 20 * 1024 * 1024;
#endif

// Line 1 and line 3 of most dictionaries here; line 2 is the hostile one.
const RawDictionaryFiles firstLine{"kalo", "门", "ka.", "kalo rado,sumi kalo", "门安全,小门"};
const RawDictionaryFiles lastLine{"tavu", "禾岚", "ko.", "tavu huhuhu", "禾岚航空"};
const QString firstRecord = QStringLiteral("1|kalo|门|ka.|kalo rado/sumi kalo|门安全/小门");
const QString lastRecord = QStringLiteral("3|tavu|禾岚|ko.|tavu huhuhu|禾岚航空");

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
    return folder + QStringLiteral("/texts/") + dictionaryFileNames().at(file);
}

// Writes `folder`/texts/ as the program expects to find it.
bool writeTexts(const QString &folder, const RawDictionaryFiles &files)
{
    if (!QDir(folder).mkpath(QStringLiteral("texts")))
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

// ---- the window ----

QLineEdit *inputOf(Widget &window)
{
    return window.findChild<QLineEdit *>(QStringLiteral("lineEdit_translate"));
}

QString statusOf(Widget &window)
{
    return window.findChild<QLabel *>(QStringLiteral("label_2"))->text();
}

QString cardOf(Widget &window)
{
    return window.findChild<QLabel *>(QStringLiteral("label_result"))->text();
}

// Puts `query` into the input line as pasted text, whatever it holds, and presses Return.
// Returns the card's lines.
QList<QString> searchCard(Widget &window, const QString &query)
{
    QLineEdit *input = inputOf(window);
    input->clear();
    QInputMethodEvent paste;
    paste.setCommitString(query);
    QApplication::sendEvent(input, &paste);
    if (input->text() != query)
        return {QStringLiteral("the input line did not take the query")};
    QTest::keyClick(input, Qt::Key_Return);
    return cardOf(window).split(QLatin1Char('\n'));
}

// The first four lines of a success card: header, status, correct word, best translation.
QList<QString> foundCard(const QString &query, const QString &correct, const QString &best)
{
    return {QStringLiteral("  搜索成功：") + query,
            QStringLiteral("  匹配状态：成功"),
            QStringLiteral("  正确词汇：") + correct,
            QStringLiteral("  最佳翻译：") + best};
}

// Clicks the vocabulary button; returns the text of each card by its entry number (1 to 51).
QMap<int, QString> vocabularyCards(Widget &window)
{
    window.findChild<QPushButton *>(QStringLiteral("btn2vocab"))->click();
    QMap<int, QString> cards;
    auto *area = window.findChild<QScrollArea *>(QStringLiteral("vocabScrollArea"));
    auto *grid = qobject_cast<QGridLayout *>(area->widget()->layout());
    if (!grid)
        return cards;
    for (int i = 0; i < grid->count(); ++i) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        if (auto *card = qobject_cast<QLabel *>(grid->itemAt(i)->widget()))
            cards.insert(row * 5 + column + 1, card->text());
    }
    return cards;
}

// The window's own lines when a load fails on `path` (a path under ./texts/).
QList<QString> failedStartUp(const QString &path)
{
    return {QStringLiteral("词典加载中..."), openError(path), QStringLiteral("词典初始化失败！")};
}

// Stands in for a writer of each FIFO while it lives: it opens each one for writing and closes
// it again, every few milliseconds. Opening a FIFO for reading blocks until a writer comes, so
// code that wrongly opens one reads an empty file instead of hanging the test. Without a
// reader waiting, the non-blocking open simply fails.
class FifoWriterStandIn
{
public:
    explicit FifoWriterStandIn(const QList<QString> &fifos)
    {
        for (const QString &fifo : fifos)
            m_paths.append(QFile::encodeName(fifo));
        m_thread = std::thread([this] { run(); });
    }
    ~FifoWriterStandIn()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    FifoWriterStandIn(const FifoWriterStandIn &) = delete;
    FifoWriterStandIn &operator=(const FifoWriterStandIn &) = delete;

private:
    void run()
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

    QList<QByteArray> m_paths;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

// Pronounceable and unique: the digits of `number` in base 50, each digit one syllable.
QByteArray generatedWord(int number)
{
    static const char consonants[] = "ktrmsnlvpd";
    static const char vowels[] = "aeiou";
    QByteArray word;
    for (; number > 0; number /= 50) {
        const char syllable[] = {consonants[number % 50 / 5], vowels[number % 5], '\0'};
        word.prepend(syllable);
    }
    return word;
}

// The decimal digits of `number` as Chinese numerals, so that translations are all Chinese.
QByteArray chineseNumber(int number)
{
    static const QList<QByteArray> digits
        = {"零", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
    QByteArray text;
    for (const char digit : QByteArray::number(number))
        text += digits.at(digit - '0');
    return text;
}

// What may stand at a path where a file is expected.
enum class Replacement { Missing, Directory, Fifo, LinkToFifo, DanglingLink };

// Replaces whatever is at `path` by `replacement`; FIFOs made are added to `fifos`.
bool replacePath(const QString &path, Replacement replacement, QList<QString> &fifos)
{
    if (QFileInfo(path).isDir() ? !QDir(path).removeRecursively()
                                : (QFile::exists(path) && !QFile::remove(path)))
        return false;
    const QByteArray fifo = QFile::encodeName(path + QStringLiteral(".fifo"));
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
        return QFile::link(path + QStringLiteral(".nowhere"), path);
    }
    return false;
}

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

QString numberedRecord(int n)
{
    return QStringLiteral("%1|w%1|译%1|ko.%1|rado %1|门%1").arg(n);
}

} // namespace

Q_DECLARE_METATYPE(Replacement)

class TestHostileFiles : public QObject
{
    Q_OBJECT

private slots:
    void keepsRecordsAroundLongLine_data();
    void keepsRecordsAroundLongLine();
    void opensLargeDictionary();

    void survivesBrokenUtf8_data();
    void survivesBrokenUtf8();
    void searchesOddCharacters_data();
    void searchesOddCharacters();

    void refusesTextsThatAreNoFiles_data();
    void refusesTextsThatAreNoFiles();
    void reloadAfterFilesChanged_data();
    void reloadAfterFilesChanged();
    void windowOutlivesItsTexts();
    void readFileLineByLineRefusesNonFiles_data();
    void readFileLineByLineRefusesNonFiles();

    void stopsAtShortFile_data();
    void stopsAtShortFile();

    void searchesSeparatorFloods_data();
    void searchesSeparatorFloods();
};

// ---- very long lines ----

void TestHostileFiles::keepsRecordsAroundLongLine_data()
{
    QTest::addColumn<RawDictionaryFiles>("middle"); // line 2 of each file
    QTest::addColumn<int>("longFile");
    QTest::addColumn<QString>("query"); // reaches the long line through the search

    const int megabytes = longLineBytes / (1024 * 1024);
    QTest::addRow("word line of %d MB", megabytes)
        << RawDictionaryFiles{QByteArray(longLineBytes, 'x'), "长", "ko.", "", ""} << 0
        << QStringLiteral("xxxx");
    QTest::addRow("phrase line of %d MB", megabytes)
        << RawDictionaryFiles{"mira", "镜子", "n.", QByteArray(longLineBytes, 'y'), "长词组"} << 3
        << QStringLiteral("mira");
}

void TestHostileFiles::keepsRecordsAroundLongLine()
{
    QFETCH(RawDictionaryFiles, middle);
    QFETCH(int, longFile);
    QFETCH(QString, query);

    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), around(middle)));
    LogCapture log;
    ConlangDictionary dictionary;
    QVERIFY(loadTexts(dictionary, folder.path()));
    QCOMPARE(sortedEntryNumbers(dictionary), (QList<int>{1, 2, 3}));
    QCOMPARE(recordsBetween(dictionary, 1, 1), QList<QString>{firstRecord});
    QCOMPARE(recordsBetween(dictionary, 3, 3), QList<QString>{lastRecord});
    const DictionaryEntry *longEntry = dictionary.lookupByNumIndex(2);
    const qsizetype longSize = middle[longFile].size();
    QCOMPARE(longFile == 0 ? longEntry->word.size() : longEntry->phrases.value(0).size(), longSize);
    QVERIFY(log.warnings().isEmpty());

    log.clear();
    const auto window = openWindowIn(folder.path());
    QCOMPARE(statusOf(*window), QStringLiteral("加载已完成！"));
    QCOMPARE(searchCard(*window, QStringLiteral("kalo")).mid(0, 4),
             foundCard(QStringLiteral("kalo"), QStringLiteral("kalo"), QStringLiteral("门")));
    QCOMPARE(searchCard(*window, QStringLiteral("3")).mid(0, 4),
             foundCard(QStringLiteral("3"), QStringLiteral("tavu"), QStringLiteral("禾岚")));
    // The long record itself is found, and its card shows the start of each long line: a label
    // holding megabytes would freeze the window for seconds. Compared without printing megabytes
    // on a failure.
    const auto shown = [](const QString &line) { return line.left(longestShownLine) + u'…'; };
    const QList<QString> card = searchCard(*window, query);
    QCOMPARE(card.value(1), QStringLiteral("  匹配状态：成功"));
    const QString wordLine = QStringLiteral("  正确词汇：") + longEntry->word;
    QVERIFY(card.value(2) == (longFile == 0 ? shown(wordLine) : wordLine));
    const QString phraseLine = QStringLiteral("  相关词组：") + longEntry->phrases.value(0);
    QVERIFY(card.value(5) == (longFile == 3 ? shown(phraseLine) : phraseLine));
    const QString vocabularyCard = vocabularyCards(*window).value(2);
    const QString cardHead = longEntry->word + u' ' + longEntry->partOfSpeech;
    QVERIFY(vocabularyCard.section(u'\n', 0, 0) == (longFile == 0 ? shown(cardHead) : cardHead));
}

// ---- a large dictionary through the window ----

void TestHostileFiles::opensLargeDictionary()
{
    constexpr int lines = 200000;
    RawDictionaryFiles files;
    static const char *const tags[] = {"ko.\n", "ka.\n", "kiu.;ko.\n", "kei.\n"};
    for (int n = 1; n <= lines; ++n) {
        const QByteArray word = generatedWord(n);
        const QByteArray number = chineseNumber(n);
        files.words += word + '\n';
        files.translations += "词" + number + '\n';
        files.tags += tags[n % 4];
        files.phrases += word + " rado," + word + " sumi\n";
        files.phraseTranslations += "门" + number + ",书" + number + '\n';
    }
    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), files));

    LogCapture log;
    const auto window = openWindowIn(folder.path());
    QCOMPARE(statusOf(*window), QStringLiteral("加载已完成！"));
    QVERIFY(inputOf(*window)->isEnabled());
    const QList<QString> messages = log.messages();
    QVERIFY(messages.contains(QStringLiteral("总词条数: 200000")));
    QCOMPARE(messages.filter(QStringLiteral("已加载")).size(), lines / 100);
    QCOMPARE(log.warnings(), QList<QString>{});

    const QString last = QString::fromLatin1(generatedWord(lines));
    QCOMPARE(searchCard(*window, last).mid(0, 4),
             foundCard(last, last, QStringLiteral("词二零零零零零")));
    QCOMPARE(searchCard(*window, QStringLiteral(" 199999 ")).mid(0, 4),
             foundCard(QStringLiteral("199999"),
                       QString::fromLatin1(generatedWord(199999)),
                       QStringLiteral("词一九九九九九")));
    // A Chinese query shows the translation as the correct word.
    QCOMPARE(searchCard(*window, QStringLiteral("词一二三四五七")).mid(0, 4),
             foundCard(QStringLiteral("词一二三四五七"),
                       QStringLiteral("词一二三四五七"),
                       QString::fromLatin1(generatedWord(123457))));
    QCOMPARE(searchCard(*window, last + QStringLiteral(" rado")).value(2),
             QStringLiteral("  正确词汇：") + last);
    // A misspelt word is compared with every word of its first letter, some 85,000 here.
    QCOMPARE(searchCard(*window, QStringLiteral("kelamoru")).value(1),
             QStringLiteral("  匹配状态：成功"));
    QCOMPARE(vocabularyCards(*window).size(), 51);
}

// ---- broken encodings ----

void TestHostileFiles::survivesBrokenUtf8_data()
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
        << QList<QString>{QStringLiteral("1|kalo|门|||"), decoded("2|\xE4\xB8|禾岚|||")};
    QTest::newRow("translation file ends in half a character")
        << RawDictionaryFiles{"kalo\ntavu\n", "门\n\xE4", "\n\n", "\n\n", "\n\n"}
        << QList<QString>{QStringLiteral("1|kalo|门|||"), decoded("2|tavu|\xE4|||")};
}

void TestHostileFiles::survivesBrokenUtf8()
{
    QFETCH(RawDictionaryFiles, files);
    QFETCH(QList<QString>, records);

    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), files));
    LogCapture log;
    ConlangDictionary dictionary;
    QVERIFY(loadTexts(dictionary, folder.path()));
    QCOMPARE(recordsBetween(dictionary, 1, 3), records);
    QCOMPARE(log.warnings(), QList<QString>{});
    // Encoded surrogates never become lone surrogates in the text.
    for (const DictionaryEntry &entry : dictionary.numberIndexData()) {
        QVERIFY(entry.word.isValidUtf16());
        QVERIFY(entry.translation.isValidUtf16());
        QVERIFY(entry.phrases.join(QString()).isValidUtf16());
    }

    // In the window, each record is found by its number and by its word as loaded.
    const auto window = openWindowIn(folder.path());
    QCOMPARE(statusOf(*window), QStringLiteral("加载已完成！"));
    for (const QString &record : std::as_const(records)) {
        const QList<QString> fields = record.split(QLatin1Char('|'));
        QCOMPARE(searchCard(*window, fields[0]).mid(0, 4),
                 foundCard(fields[0], fields[1], fields[2]));
        const QList<QString> card = searchCard(*window, fields[1]);
        QCOMPARE(card.mid(0, 4), foundCard(fields[1], fields[1], fields[2]));
        QCOMPARE(card.last(), QStringLiteral("  拼写没有问题"));
    }
}

void TestHostileFiles::searchesOddCharacters_data()
{
    QTest::addColumn<QString>("query"); // pasted into the input line as it stands
    QTest::addColumn<QString>("found"); // correct word on the card; empty: nothing found
    QTest::addColumn<QString>("trace"); // the search's success line; empty: nothing found
    QTest::addColumn<bool>("misspelt"); // whether the card's last line warns of the spelling

    const auto nothingFound = [](const char *name, const QString &query, bool misspelt) {
        QTest::newRow(name) << query << QString() << QString() << misspelt;
    };
    const auto found
        = [](const char *name,
             const QString &query,
             const QString &word,
             const QString &trace,
             bool misspelt) { QTest::newRow(name) << query << word << trace << misspelt; };

    const QString high(QChar(0xD800)), low(QChar(0xDC00)), nul(QChar(0));
    nothingFound("high surrogate alone", high, false);
    nothingFound("low surrogate alone", low, false);
    nothingFound("reversed surrogate pair", low + high, false);
    nothingFound("valid surrogate pair", QStringLiteral("😀"), false);
    // Mainly Chinese and not found: the card warns whatever the spelling.
    nothingFound("Chinese and surrogate", QStringLiteral("门") + high, true);
    found("word and high surrogate",
          QStringLiteral("kalo") + high,
          QStringLiteral("kalo"),
          QStringLiteral("搜索成功： \"kalo\\uD800\" -> \"门\""),
          true);
    found("low surrogate inside a word",
          QStringLiteral("ta") + low + QStringLiteral("vu"),
          QStringLiteral("tavu"),
          QStringLiteral("搜索成功： \"ta\\uDC00vu\" -> \"禾岚\""),
          true);
    found("surrogate inside a phrase",
          QStringLiteral("kalo ") + high + QStringLiteral("rado"),
          QStringLiteral("kalo"),
          QStringLiteral("搜索成功： \"kalo \\uD800rado\" -> \"门\""),
          true);

    const QString nulWord = QStringLiteral("mi") + nul + QStringLiteral("ra");
    found("word with NUL",
          nulWord,
          nulWord,
          QStringLiteral("搜索成功： \"mi\\u0000ra\" -> \"镜\\u0000子\""),
          false);
    found("phrase with NUL",
          nulWord + QStringLiteral(" rado"),
          nulWord,
          QStringLiteral("搜索成功： \"mi\\u0000ra rado\" -> \"镜\\u0000子\""),
          true);
    // Mainly Chinese: the card names the translation as the correct word.
    found("translation with NUL",
          QStringLiteral("镜") + nul + QStringLiteral("子"),
          QStringLiteral("镜") + nul + QStringLiteral("子"),
          QStringLiteral("搜索成功： \"镜\\u0000子\" -> \"mi\\u0000ra\""),
          false);
    found("phrase of the entry with NUL",
          QStringLiteral("sumi"),
          nulWord,
          QStringLiteral("搜索成功： \"sumi\" -> \"镜\\u0000子\""),
          true);
    found("NUL alone",
          nul,
          nulWord,
          QStringLiteral("搜索成功： \"\\u0000\" -> \"镜\\u0000子\""),
          true);
    found("word before the NUL",
          QStringLiteral("mi"),
          nulWord,
          QStringLiteral("搜索成功： \"mi\" -> \"镜\\u0000子\""),
          true);
}

void TestHostileFiles::searchesOddCharacters()
{
    QFETCH(QString, query);
    QFETCH(QString, found);
    QFETCH(QString, trace);
    QFETCH(bool, misspelt);

    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(),
                       around({QByteArray("mi\0ra", 5),
                               QByteArray("镜\0子", 7),
                               "n.",
                               QByteArray("mi\0ra rado,sumi", 15),
                               QByteArray("镜\0门,书", 11)})));
    LogCapture log;
    const auto window = openWindowIn(folder.path());
    QCOMPARE(statusOf(*window), QStringLiteral("加载已完成！"));
    log.clear();

    const QList<QString> card = searchCard(*window, query);
    if (found.isEmpty()) {
        QCOMPARE(card.mid(0, 3),
                 (QList<QString>{QStringLiteral("  您还没有输入任何字词呢(⌐■_■)"),
                                 QStringLiteral("  匹配状态：失败"),
                                 QStringLiteral("  正确词汇：")}));
    } else {
        QCOMPARE(card.value(0), QStringLiteral("  搜索成功：") + query);
        QCOMPARE(card.value(2), QStringLiteral("  正确词汇：") + found);
    }
    QCOMPARE(card.last(),
             misspelt ? QStringLiteral("  注意: 拼写有问题！") : QStringLiteral("  拼写没有问题"));
    QCOMPARE(log.messages().filter(QRegularExpression(QStringLiteral("^搜索成功："))),
             trace.isEmpty() ? QList<QString>{} : QList<QString>{trace});
    QVERIFY(log.messages(QtWarningMsg).isEmpty());
}

// ---- files that are no files, or vanish ----

void TestHostileFiles::refusesTextsThatAreNoFiles_data()
{
    QTest::addColumn<QList<int>>("files"); // replaced files; -1 stands for texts/ itself
    QTest::addColumn<Replacement>("replacement");
    QTest::addColumn<QString>("refused"); // the path the error names

    QTest::newRow("word file is a FIFO")
        << QList<int>{0} << Replacement::Fifo << "./texts/values.txt";
    QTest::newRow("translation file is a FIFO")
        << QList<int>{1} << Replacement::Fifo << "./texts/keys.txt";
    QTest::newRow("phrase-translation file is a FIFO")
        << QList<int>{4} << Replacement::Fifo << "./texts/cn_phrases.txt";
    QTest::newRow("every file is a FIFO")
        << QList<int>{0, 1, 2, 3, 4} << Replacement::Fifo << "./texts/values.txt";
    QTest::newRow("phrase file links to a FIFO")
        << QList<int>{3} << Replacement::LinkToFifo << "./texts/phrases.txt";
    QTest::newRow("word file is a directory")
        << QList<int>{0} << Replacement::Directory << "./texts/values.txt";
    QTest::newRow("part-of-speech file is a directory")
        << QList<int>{2} << Replacement::Directory << "./texts/wordtype.txt";
    QTest::newRow("translation file links nowhere")
        << QList<int>{1} << Replacement::DanglingLink << "./texts/keys.txt";
    QTest::newRow("texts is a FIFO") << QList<int>{-1} << Replacement::Fifo << "./texts/values.txt";
    QTest::newRow("texts links to a FIFO")
        << QList<int>{-1} << Replacement::LinkToFifo << "./texts/values.txt";
}

void TestHostileFiles::refusesTextsThatAreNoFiles()
{
    QFETCH(QList<int>, files);
    QFETCH(Replacement, replacement);
    QFETCH(QString, refused);

    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), around({"mira", "镜子", "n.", "", ""})));
    QList<QString> fifos;
    for (int file : files) {
        const QString path
            = file < 0 ? folder.filePath(QStringLiteral("texts")) : textsPath(folder.path(), file);
        QVERIFY(replacePath(path, replacement, fifos));
    }

    const FifoWriterStandIn writer(fifos);
    LogCapture log;
    const auto window = openWindowIn(folder.path());
    QCOMPARE(log.messages(), failedStartUp(refused));
    QCOMPARE(statusOf(*window), QStringLiteral("词典加载失败，功能不可用"));
    QCOMPARE(cardOf(*window), QStringLiteral("请确保texts与varnell.exe位于同一目录下!"));
    QVERIFY(!inputOf(*window)->isEnabled());
    QVERIFY(vocabularyCards(*window).isEmpty());
}

void TestHostileFiles::reloadAfterFilesChanged_data()
{
    QTest::addColumn<int>("file");
    QTest::addColumn<Replacement>("replacement");

    const QList<const char *> names = {"word file",
                                       "translation file",
                                       "part-of-speech file",
                                       "phrase file",
                                       "phrase-translation file"};
    for (int file = 0; file < names.size(); ++file)
        QTest::addRow("%s removed", names[file]) << file << Replacement::Missing;
    QTest::newRow("word file replaced by a directory") << 0 << Replacement::Directory;
    QTest::newRow("phrase file replaced by a FIFO") << 3 << Replacement::Fifo;
    QTest::newRow("translation file replaced by a dangling link") << 1 << Replacement::DanglingLink;
}

void TestHostileFiles::reloadAfterFilesChanged()
{
    QFETCH(int, file);
    QFETCH(Replacement, replacement);

    QTemporaryDir folder;
    const RawDictionaryFiles files = around({"mira", "镜子", "n.", "mira sumi", "镜书"});
    QVERIFY(writeTexts(folder.path(), files));
    LogCapture log;
    ConlangDictionary dictionary;
    QVERIFY(loadTexts(dictionary, folder.path()));
    QCOMPARE(sortedEntryNumbers(dictionary), (QList<int>{1, 2, 3}));

    // Between the two loads the file goes; the second load must not show the first one's records.
    QList<QString> fifos;
    const QString path = textsPath(folder.path(), file);
    QVERIFY(replacePath(path, replacement, fifos));
    const FifoWriterStandIn writer(fifos);
    log.clear();
    QVERIFY(!loadTexts(dictionary, folder.path()));
    QCOMPARE(log.messages(), QList<QString>{openError(path)});
    QVERIFY(dictionary.getAllIndices().isEmpty());
    QVERIFY(dictionary.wordIndexData().isEmpty());
    QVERIFY(dictionary.smartSearch(QStringLiteral("mira"), 10).isEmpty());
    QVERIFY(dictionary.smartSearch(QStringLiteral("2"), 10).isEmpty());
    QVERIFY(dictionary.smartSearch(QStringLiteral("mira sumi"), 10).isEmpty());
    QVERIFY(dictionary.smartSearch(QStringLiteral("镜书"), 10).isEmpty());

    // Put back, the files load as before.
    QVERIFY(replacePath(path, Replacement::Missing, fifos));
    QVERIFY(writeTexts(folder.path(), files));
    QVERIFY(loadTexts(dictionary, folder.path()));
    QCOMPARE(
        recordsBetween(dictionary, 1, 3),
        (QList<QString>{firstRecord, QStringLiteral("2|mira|镜子|n.|mira sumi|镜书"), lastRecord}));
}

void TestHostileFiles::windowOutlivesItsTexts()
{
    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), around({"mira", "镜子", "n.", "mira sumi", "镜书"})));
    LogCapture log;
    const auto window = openWindowIn(folder.path());
    QCOMPARE(statusOf(*window), QStringLiteral("加载已完成！"));

    // The window read its files once, at start-up; without them it keeps working.
    QVERIFY(QDir(folder.filePath(QStringLiteral("texts"))).removeRecursively());
    const QMap<int, QString> expectedCards = {{1, QStringLiteral("kalo ka.\n门")},
                                              {2, QStringLiteral("mira n.\n镜子")},
                                              {3, QStringLiteral("tavu ko.\n禾岚")}};
    QCOMPARE(vocabularyCards(*window), expectedCards);
    QCOMPARE(vocabularyCards(*window), expectedCards);
    QCOMPARE(searchCard(*window, QStringLiteral("mira")).mid(0, 4),
             foundCard(QStringLiteral("mira"), QStringLiteral("mira"), QStringLiteral("镜子")));
    QCOMPARE(searchCard(*window, QStringLiteral("镜子")).mid(0, 4),
             foundCard(QStringLiteral("镜子"), QStringLiteral("镜子"), QStringLiteral("mira")));
    QCOMPARE(searchCard(*window, QStringLiteral("mira sumi")).value(2),
             QStringLiteral("  正确词汇：mira"));
    QVERIFY(log.messages(QtWarningMsg).isEmpty());
}

void TestHostileFiles::readFileLineByLineRefusesNonFiles_data()
{
    QTest::addColumn<Replacement>("replacement");

    QTest::newRow("vanished file") << Replacement::Missing;
    QTest::newRow("directory") << Replacement::Directory;
    QTest::newRow("dangling link") << Replacement::DanglingLink;
    QTest::newRow("FIFO") << Replacement::Fifo;
}

void TestHostileFiles::readFileLineByLineRefusesNonFiles()
{
    QFETCH(Replacement, replacement);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("lines.txt"));
    QVERIFY(writeBytes(path, " kalo \n\ntavu\n"));
    LogCapture log;
    QCOMPARE(readFileLineByLine(path),
             (QList<QString>{QStringLiteral("kalo"), QStringLiteral("tavu")}));

    QList<QString> fifos;
    QVERIFY(replacePath(path, replacement, fifos));
    const FifoWriterStandIn writer(fifos);
    const QList<QString> lines = readFileLineByLine(path);
    // A FIFO opens only when a writer comes: without a check of the file's kind the read would
    // block until one does (here the stand-in writer, in a real program possibly never).
    QCOMPARE(log.messages(QtWarningMsg),
             QList<QString>{QStringLiteral("无法打开文件,词典页无法渲染 \"%1\"").arg(path)});
    QCOMPARE(log.messages().size(), 1);
    QVERIFY(lines.isEmpty());
}

// ---- files of different lengths ----

void TestHostileFiles::stopsAtShortFile_data()
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

void TestHostileFiles::stopsAtShortFile()
{
    QFETCH(RawDictionaryFiles, files);
    QFETCH(int, records);
    QFETCH(QList<QString>, warnings);

    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), files));
    LogCapture log;
    ConlangDictionary dictionary;
    QCOMPARE(loadTexts(dictionary, folder.path()), records > 0);
    QCOMPARE(log.warnings(), warnings);
    QVERIFY(log.contains(QStringLiteral("总词条数: %1").arg(records)));
    QCOMPARE(dictionary.getAllIndices().size(), records);
    QList<QString> expected;
    for (int n = 1; n <= qMin(records, 3); ++n)
        expected.append(numberedRecord(n));
    QCOMPARE(recordsBetween(dictionary, 1, 3), expected);
    if (records > 0)
        QCOMPARE(describeRecord(*dictionary.lookupByNumIndex(records)), numberedRecord(records));
    QCOMPARE(dictionary.lookupByNumIndex(records + 1), nullptr);

    log.clear();
    const auto window = openWindowIn(folder.path());
    QCOMPARE(log.warnings(), warnings);
    QCOMPARE(inputOf(*window)->isEnabled(), records > 0);
    QCOMPARE(vocabularyCards(*window).size(), qMin(records, 51));
    if (records > 0)
        QCOMPARE(searchCard(*window, QStringLiteral("w") + QString::number(records)).mid(0, 4),
                 foundCard(QStringLiteral("w") + QString::number(records),
                           QStringLiteral("w") + QString::number(records),
                           QStringLiteral("译") + QString::number(records)));
}

// ---- separator floods ----

void TestHostileFiles::searchesSeparatorFloods_data()
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
        << QList<QString>{QStringLiteral("警告：词组与翻译数量不匹配（第 2 行）")} << QString();
    QTest::newRow("50,000 phrases between 100,000 commas")
        << RawDictionaryFiles{"mira",
                              "镜子",
                              "n.",
                              QByteArray(",mira sumi,").repeated(50000),
                              QByteArray(",镜书,").repeated(50000)}
        << 50000 << QList<QString>{} << QStringLiteral("mira sumi");
    QTest::newRow("100,000 semicolons as parts of speech")
        << RawDictionaryFiles{"mira", "镜子", QByteArray(100000, ';'), "mira sumi", "镜书"} << 1
        << QList<QString>{} << QStringLiteral("mira sumi");
    QTest::newRow("100,000 commas as the translation")
        << RawDictionaryFiles{"mira", commas, "n.", "mira sumi", commas} << 0
        << QList<QString>{QStringLiteral("警告：词组与翻译数量不匹配（第 2 行）")} << QString();
}

void TestHostileFiles::searchesSeparatorFloods()
{
    QFETCH(RawDictionaryFiles, middle);
    QFETCH(int, phrases);
    QFETCH(QList<QString>, warnings);
    QFETCH(QString, phraseQuery);

    QTemporaryDir folder;
    QVERIFY(writeTexts(folder.path(), around(middle)));
    LogCapture log;
    ConlangDictionary dictionary;
    QVERIFY(loadTexts(dictionary, folder.path()));
    QCOMPARE(log.warnings(), warnings);
    QCOMPARE(recordsBetween(dictionary, 1, 1), QList<QString>{firstRecord});
    QCOMPARE(recordsBetween(dictionary, 3, 3), QList<QString>{lastRecord});
    const DictionaryEntry &entry = *dictionary.lookupByNumIndex(2);
    QCOMPARE(entry.phrases.size(), phrases);
    QCOMPARE(entry.phraseTranslations.size(), phrases);
    QCOMPARE(entry.translation, QString::fromUtf8(middle.translations));
    QCOMPARE(entry.partOfSpeech, QString::fromUtf8(middle.tags));

    log.clear();
    const auto window = openWindowIn(folder.path());
    QCOMPARE(log.warnings(), warnings);
    // A line of 100,000 separators is shown cut, as every over-long card line is.
    const auto shown = [](const QList<QString> &lines) {
        return shortenedForDisplay(lines.join(u'\n')).split(u'\n');
    };
    const QList<QString> card = searchCard(*window, QStringLiteral("mira"));
    QCOMPARE(card.mid(0, 4),
             shown(foundCard(QStringLiteral("mira"), QStringLiteral("mira"), entry.translation)));
    QCOMPARE(card.value(4), shown({QStringLiteral("  词性：") + entry.partOfSpeech}).first());
    QCOMPARE(card.value(5), QStringLiteral("  相关词组：") + entry.phrases.value(0));
    QCOMPARE(card.value(6), QStringLiteral("  该词组翻译：") + entry.phraseTranslations.value(0));
    QCOMPARE(searchCard(*window, QStringLiteral("2")).mid(0, 4),
             shown(foundCard(QStringLiteral("2"), QStringLiteral("mira"), entry.translation)));
    if (!phraseQuery.isEmpty())
        QCOMPARE(searchCard(*window, phraseQuery).value(2), QStringLiteral("  正确词汇：mira"));
    QCOMPARE(searchCard(*window, QStringLiteral("tavu")).mid(0, 4),
             foundCard(QStringLiteral("tavu"), QStringLiteral("tavu"), QStringLiteral("禾岚")));

    const QMap<int, QString> cards = vocabularyCards(*window);
    QCOMPARE(cards.keys(), (QList<int>{1, 2, 3}));
    QCOMPARE(cards.value(2),
             shortenedForDisplay(QStringLiteral("mira ") + entry.partOfSpeech + QStringLiteral("\n")
                                 + entry.translation));
}

QTEST_MAIN(TestHostileFiles)
#include "tst_hostile_files.moc"
