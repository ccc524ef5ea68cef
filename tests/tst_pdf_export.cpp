// The printed book (export --format pdf) typeset by XeLaTeX and read back as a reader's program
// reads it: poppler's pdftotext (the words with their places on each page) and pdffonts. Every
// entry is in it, part two is in pinyin order, the guide words at the head of each page are its
// first and last headword, hostile texts show as written, the fonts are embedded.

#include "ConlangDictionary.h"
#include "DictionaryFiles.h"
#include "DictionaryFormat.h"
#include "DictionaryGenerator.h"
#include "ExportArticles.h"
#include "FreedictConverter.h"
#include "PdfExport.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <algorithm>

namespace {

// A word pdftotext found, with its box in points from the page's top left corner.
struct PlacedWord
{
    double left = 0, top = 0, right = 0, bottom = 0;
    QString text;
};

// A line of one column: its words joined by blanks. A line that begins a headword's paragraph
// starts at the column's left edge, where every further line of a paragraph is indented and a
// heading centred.
struct Line
{
    bool startsEntry = false;
    QString text;
};

// A page of either part: the guide words of its head, and the lines of its columns in reading
// order, the head and the foot left out.
struct BookPage
{
    QString partHeading; // when a part begins on the page
    QString firstGuide, lastGuide;
    QList<Line> lines;
    QList<QString> entries; // the paragraphs that begin on the page, as far as the page holds them
};

// A text as it can be compared with what pdftotext reads: without blanks (the engine breaks long
// texts into lines) and in compatibility form (a font draws the Kelvin sign and K alike, and the
// PDF maps the glyph back to one of them).
QString withoutBlanks(const QString &text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return text.normalized(QString::NormalizationForm_KC).remove(blanks);
}

QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

struct PlacedPage
{
    double width = 0;
    QList<PlacedWord> words;
};

QList<PlacedPage> wordsOfPages(const QString &pdf)
{
    QList<PlacedPage> pages;
    QXmlStreamReader xml(run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, "-"}));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"page") {
            pages.append(PlacedPage{xml.attributes().value("width").toDouble(), {}});
        } else if (xml.isStartElement() && xml.name() == u"word") {
            const QXmlStreamAttributes at = xml.attributes();
            pages.last().words.append({at.value("xMin").toDouble(),
                                       at.value("yMin").toDouble(),
                                       at.value("xMax").toDouble(),
                                       at.value("yMax").toDouble(),
                                       xml.readElementText()});
        }
    }
    return pages;
}

// Words grouped into lines by their baseline (Chinese and Latin glyphs of one line sit a little
// apart), each line's words from left to right, the lines from the top.
QList<QList<PlacedWord>> linesOf(QList<PlacedWord> words)
{
    std::sort(words.begin(), words.end(), [](const PlacedWord &a, const PlacedWord &b) {
        return a.bottom < b.bottom;
    });
    QList<QList<PlacedWord>> lines;
    for (const PlacedWord &word : words) {
        if (lines.isEmpty() || word.bottom - lines.last().constFirst().bottom > 3)
            lines.append(QList<PlacedWord>());
        lines.last().append(word);
    }
    for (QList<PlacedWord> &line : lines) {
        std::sort(line.begin(), line.end(), [](const PlacedWord &a, const PlacedWord &b) {
            return a.left < b.left;
        });
    }
    return lines;
}

QString joined(const QList<PlacedWord> &words)
{
    QStringList texts;
    for (const PlacedWord &word : words)
        texts.append(word.text);
    return texts.join(u' ');
}

// The head's two guide words: the words before and after its widest gap.
void readHead(QList<PlacedWord> head, BookPage &page)
{
    std::sort(head.begin(), head.end(), [](const PlacedWord &a, const PlacedWord &b) {
        return a.left < b.left;
    });
    qsizetype split = 1;
    for (qsizetype i = 1; i < head.size(); ++i) {
        if (head.at(i).left - head.at(i - 1).right > head.at(split).left - head.at(split - 1).right)
            split = i;
    }
    page.firstGuide = joined(head.mid(0, split));
    page.lastGuide = joined(head.mid(split));
}

// The pages of both parts (from the heading of part one on) of a book of `columns` columns.
QList<BookPage> bookPages(const QString &pdf, int columns)
{
    struct Columns
    {
        QList<QList<PlacedWord>> lines[2];
    };
    QList<BookPage> pages;
    QList<Columns> columnsOfPages;
    double leftEdge[2] = {1e9, 1e9}; // where the columns begin, on the pages of the parts
    for (const PlacedPage &placed : wordsOfPages(pdf)) {
        if (placed.words.isEmpty())
            continue;
        // The head is the top line across the page, the foot (the page's number) the bottom one.
        double top = placed.words.constFirst().bottom;
        double bottom = top;
        for (const PlacedWord &word : placed.words) {
            top = std::min(top, word.bottom);
            bottom = std::max(bottom, word.bottom);
        }
        QList<PlacedWord> head;
        QList<PlacedWord> body;
        for (const PlacedWord &word : placed.words) {
            if (word.bottom < top + 3)
                head.append(word);
            else if (word.bottom < bottom - 3)
                body.append(word);
        }
        // A part's heading spans the columns.
        BookPage page;
        for (const QList<PlacedWord> &line : linesOf(body)) {
            const QString text = joined(line);
            if (text != QStringLiteral("禾岚 → 中文") && text != QStringLiteral("中文 → 禾岚"))
                continue;
            page.partHeading = text;
            body.removeIf([&](const PlacedWord &word) {
                return std::any_of(line.cbegin(), line.cend(), [&](const PlacedWord &inLine) {
                    return inLine.left == word.left && inLine.bottom == word.bottom;
                });
            });
        }
        if (pages.isEmpty() && page.partHeading.isEmpty())
            continue; // the title page and the legend
        readHead(head, page);
        QList<PlacedWord> columnWords[2];
        for (const PlacedWord &word : std::as_const(body))
            columnWords[columns == 2 && word.left > placed.width / 2 ? 1 : 0].append(word);
        Columns lines;
        for (int column = 0; column < 2; ++column) {
            lines.lines[column] = linesOf(columnWords[column]);
            for (const PlacedWord &word : std::as_const(columnWords[column]))
                leftEdge[column] = std::min(leftEdge[column], word.left);
        }
        pages.append(page);
        columnsOfPages.append(lines);
    }
    for (qsizetype i = 0; i < pages.size(); ++i) {
        for (int column = 0; column < 2; ++column) {
            for (const QList<PlacedWord> &line :
                 std::as_const(columnsOfPages.at(i).lines[column])) {
                const bool starts = line.constFirst().left - leftEdge[column] < 0.5;
                pages[i].lines.append({starts, joined(line)});
                if (starts)
                    pages[i].entries.append(joined(line));
                else if (!pages[i].entries.isEmpty())
                    pages[i].entries.last() += u' ' + joined(line);
            }
        }
    }
    return pages;
}

// Whether `guide` is how the head shows the headword that begins `entryLine` (a long one cut
// and ended with "…").
bool guides(const QString &guide, const QString &entryLine)
{
    return withoutBlanks(entryLine).startsWith(
        withoutBlanks(guide.endsWith(u'…') ? guide.chopped(1) : guide));
}

// The pages whose guide words are not their first and last headword, described.
QStringList misguidedPages(const QList<BookPage> &pages)
{
    QStringList wrong;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const BookPage &page = pages.at(i);
        if (page.entries.isEmpty())
            continue; // one long paragraph: the guide words of the one it continues
        if (!guides(page.firstGuide, page.entries.constFirst())
            || !guides(page.lastGuide, page.entries.constLast())) {
            wrong.append(
                QStringLiteral("page %1 of the parts: head '%2' '%3', entries '%4' to '%5'")
                    .arg(i + 1)
                    .arg(page.firstGuide,
                         page.lastGuide,
                         page.entries.constFirst(),
                         page.entries.constLast()));
        }
    }
    return wrong;
}

// The paragraphs of part two, without blanks, each a headword and its words.
QList<QString> partTwoParagraphs(const QList<BookPage> &pages)
{
    QList<QString> paragraphs;
    bool inPartTwo = false;
    for (const BookPage &page : pages) {
        inPartTwo = inPartTwo || page.partHeading == QStringLiteral("中文 → 禾岚");
        for (const Line &line : page.lines) {
            if (inPartTwo && line.startsEntry)
                paragraphs.append(withoutBlanks(line.text));
            else if (!paragraphs.isEmpty())
                paragraphs.last() += withoutBlanks(line.text);
        }
    }
    return paragraphs;
}

QString bodyText(const QList<BookPage> &pages)
{
    QString text;
    for (const BookPage &page : pages) {
        for (const Line &line : page.lines)
            text += line.text;
    }
    return withoutBlanks(text);
}

// A book typeset from the dictionary in `folder`.
struct Book
{
    QString pdf;
    exports::ExportedEntries exported;
    pdfbook::Typeset typeset;
};

Book typesetBook(const QString &folder, const pdfbook::BookOptions &options, const QString &pdf)
{
    ConlangDictionary dictionary;
    const QtMessageHandler previous
        = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    dictionaryformat::loadFolder(dictionary, folder);
    qInstallMessageHandler(previous);
    Book book{pdf, exports::exportedEntries(dictionary), {}};
    book.typeset = pdfbook::typeset(pdfbook::bookSource(book.exported, dictionary, options), {});
    QFile file(pdf);
    if (file.open(QIODevice::WriteOnly))
        file.write(book.typeset.pdf);
    return book;
}

// Texts that mean something to the engine, each in a field of its own.
const QString passwordFile = QStringLiteral("\\input{/etc/passwd}");
const QString longWord = QString(3000, u'x');
const QString longChinese = QString(3000, u'长');

} // namespace

class TestPdfExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void legend_data();
    void legend();
    void partOneOrder_data();
    void partOneOrder();
    void everyEntryInTheBook_data();
    void everyEntryInTheBook();
    void partTwoInPinyinOrder_data();
    void partTwoInPinyinOrder();
    void guideWords_data();
    void guideWords();
    void wholeBooks_data();
    void wholeBooks();
    void hostileTextsShownAsWritten_data();
    void hostileTextsShownAsWritten();
    void fontsEmbedded_data();
    void fontsEmbedded();
    void commandLine_data();
    void commandLine();

private:
    QTemporaryDir m_folder;
    QHash<QString, Book> m_books;
    QString m_touched; // what a \write18 in the hostile dictionary would create
};

void TestPdfExport::initTestCase()
{
    QVERIFY(m_folder.isValid());
    if (pdfbook::typeset("\\relax", {}).engineMissing)
        QFAIL("xelatex is missing: bash scripts/setup.sh installs it");
    const QString shipped = VARNELL_SHIPPED_TEXTS_DIR;
    m_books.insert("shipped a4",
                   typesetBook(shipped,
                               {"禾岚词典", pdfbook::Paper::A4, 2, {}},
                               m_folder.filePath("shipped-a4.pdf")));
    m_books.insert("shipped a5",
                   typesetBook(shipped,
                               {"禾岚词典", pdfbook::Paper::A5, 1, {}},
                               m_folder.filePath("shipped-a5.pdf")));

    dictionarygenerator::GeneratorOptions generated;
    generated.entries = 2000;
    generated.seed = 29;
    generated.oddPhraseShare = 0.05;
    const QString generatedFolder = m_folder.filePath("generated");
    QVERIFY(QDir().mkpath(generatedFolder));
    QVERIFY(dictionarygenerator::writeDictionaryFiles(
        generatedFolder, dictionarygenerator::generateDictionary(generated)));
    m_books.insert("generated",
                   typesetBook(generatedFolder,
                               {"2000", pdfbook::Paper::Letter, 2, {}},
                               m_folder.filePath("generated.pdf")));

    m_touched = m_folder.filePath("touched");
    const QString hostileFolder = m_folder.filePath("hostile");
    QVERIFY(QDir().mkpath(hostileFolder));
    const QList<DictionaryRow> hostile = {
        {"inputo", passwordFile, "ko.", "\\immediate\\write18{touch " + m_touched + "}", "$x$ & y"},
        {"\\end{document}", "结束", "\\def\\x{}", "", ""},
        {"#$%&~^_{}", "特殊", "ka.", "", ""},
        {"\\", "反斜杠\\", "ka.", "", ""},
        {"brace{", "}括号", "ka.", "", ""},
        {"^^41^^5c", "\\csname end\\endcsname", "ka.", "", ""},
        {"dash--", "---``x''", "ka.", "", ""},
        {"tab\tword", "制表\x01符\x7f", "ka.", "", ""},
        {"emoji😀", "表情😀", "ka.", "", ""},
        {"arabic", "مرحبا (x) [y]", "ka.", "", ""},
        {"longword", longWord, "ka.", "", ""},
        {"longchinese", longChinese, "ka.", "", ""},
        {"", "无词的翻译", "ka.", "", ""},
        {"", "", "", "", ""},
        {"notranslation", "", "ka.", "", ""},
        {"percent%", "%注释", "ka.", "", ""},
    };
    QVERIFY(!writeDictionaryFiles(hostileFolder, hostile).words.isEmpty());
    m_books.insert("hostile",
                   typesetBook(hostileFolder,
                               {passwordFile + " #$%", pdfbook::Paper::A4, 2, {}},
                               m_folder.filePath("hostile.pdf")));
    for (auto book = m_books.cbegin(); book != m_books.cend(); ++book)
        QVERIFY2(!book->typeset.pdf.isEmpty(), qPrintable(book.key() + ": " + book->typeset.error));
}

void TestPdfExport::legend_data()
{
    QTest::addColumn<QString>("row"); // on the legend's page: tag, meaning, entries
    QTest::newRow("a tag alone and among others") << "ko. 名词 31 条";
    QTest::newRow("a tag second on a line") << "kei. 助词和疑问词 6 条";
    QTest::newRow("names") << "n. 专有名词 5 条";
}

void TestPdfExport::legend()
{
    QFETCH(QString, row);
    const QString page = QString::fromUtf8(
        run("pdftotext", {"-f", "2", "-l", "2", "-layout", m_books.value("shipped a4").pdf, "-"}));
    QVERIFY2(withoutBlanks(page).contains(withoutBlanks(row)), qPrintable(page));
}

void TestPdfExport::partOneOrder_data()
{
    QTest::addColumn<QStringList>("words"); // in file order
    QTest::addColumn<QList<int>>("expected"); // their line numbers in the book's order
    QTest::newRow("letter case after the letters")
        << QStringList{"apply", "Apple", "apple", "APPLE"} << QList<int>{3, 2, 4, 1};
    QTest::newRow("accented letters beside their base letter")
        << QStringList{"cedi", "zoo", "ĉapo", "éa", "eb"} << QList<int>{3, 1, 4, 5, 2};
    QTest::newRow("the same word in file order")
        << QStringList{"kalo", "Kalo", "kalo"} << QList<int>{1, 3, 2};
}

void TestPdfExport::partOneOrder()
{
    QFETCH(QStringList, words);
    QFETCH(QList<int>, expected);
    QList<DictionaryEntry> entries;
    for (const QString &word : words)
        entries.append({word, "译", {}, {}, {}, int(entries.size()) + 1});
    QList<int> sorted;
    for (const DictionaryEntry &entry : pdfbook::entriesByWord(entries))
        sorted.append(entry.number);
    QCOMPARE(sorted, expected);
}

void TestPdfExport::everyEntryInTheBook_data()
{
    QTest::addColumn<QString>("book");
    QTest::addColumn<QString>("what");
    for (const char *book : {"shipped a4", "shipped a5", "generated"}) {
        for (const char *what : {"word, part of speech, translation",
                                 "phrase and its translation",
                                 "translation and its first word"})
            QTest::addRow("%s: %s", book, what) << book << what;
    }
}

void TestPdfExport::everyEntryInTheBook()
{
    QFETCH(QString, book);
    QFETCH(QString, what);
    const Book &typeset = m_books.value(book);
    const QList<BookPage> pages = bookPages(typeset.pdf, book == "shipped a5" ? 1 : 2);
    const QString text = bodyText(pages);
    QMultiHash<QChar, QString> partTwo; // by their first character
    for (const QString &paragraph : partTwoParagraphs(pages))
        partTwo.insert(paragraph.front(), paragraph);
    QStringList missing;
    for (const DictionaryEntry &entry : typeset.exported.entries) {
        const QString word = withoutBlanks(entry.word + entry.partOfSpeech);
        const QString translation = withoutBlanks(entry.translation);
        if (what.startsWith("word") && !text.contains(word + translation))
            missing.append(word + translation);
        for (qsizetype i = 0; what.startsWith("phrase") && i < entry.phrases.size(); ++i) {
            const QString phrase
                = withoutBlanks(entry.phrases.at(i) + entry.phraseTranslations.at(i));
            if (!text.contains(phrase))
                missing.append(phrase);
        }
        const QList<QString> candidates = partTwo.values(translation.front());
        if (what.startsWith("translation")
            && std::none_of(candidates.cbegin(), candidates.cend(), [&](const QString &paragraph) {
                   return paragraph.startsWith(translation) && paragraph.contains(word);
               }))
            missing.append(translation + " … " + word);
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.mid(0, 5).join(" | ")));
}

void TestPdfExport::partTwoInPinyinOrder_data()
{
    QTest::addColumn<QString>("earlier");
    QTest::addColumn<QString>("later");
    // Pairs whose characters' codes are in the other order.
    QTest::newRow("ài before ān") << "爱"
                                  << "安全";
    QTest::newRow("chéng before chī") << "城市"
                                      << "吃";
    QTest::newRow("gāo before gē") << "高"
                                   << "歌";
    QTest::newRow("a word before its longer translations") << "高"
                                                           << "高兴";
    QTest::newRow("a piece beside its whole translation") << "快乐"
                                                          << "快乐；高兴";
    QTest::newRow("zhī before zhuō") << "知道"
                                     << "桌子";
}

void TestPdfExport::partTwoInPinyinOrder()
{
    QFETCH(QString, earlier);
    QFETCH(QString, later);
    const QList<QString> headwords
        = partTwoParagraphs(bookPages(m_books.value("shipped a4").pdf, 2));
    const auto firstStartingWith = [&](const QString &text) {
        return std::find_if(headwords.cbegin(),
                            headwords.cend(),
                            [&](const QString &paragraph) {
                                return paragraph.startsWith(withoutBlanks(text));
                            })
            - headwords.cbegin();
    };
    QVERIFY(firstStartingWith(later) < headwords.size());
    QVERIFY2(firstStartingWith(earlier) < firstStartingWith(later),
             qPrintable(headwords.join(u' ')));
}

void TestPdfExport::guideWords_data()
{
    QTest::addColumn<QString>("book");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("leastPages");
    QTest::newRow("shipped, A4, two columns") << "shipped a4" << 2 << 4;
    QTest::newRow("shipped, A5, one column") << "shipped a5" << 1 << 6;
    QTest::newRow("2,000 generated entries, letter, two columns") << "generated" << 2 << 40;
    QTest::newRow("hostile texts, long ones across pages") << "hostile" << 2 << 4;
}

void TestPdfExport::guideWords()
{
    QFETCH(QString, book);
    QFETCH(int, columns);
    QFETCH(int, leastPages);
    const QList<BookPage> pages = bookPages(m_books.value(book).pdf, columns);
    QVERIFY2(pages.size() >= leastPages, qPrintable(QString::number(pages.size())));
    const QStringList wrong = misguidedPages(pages);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
}

void TestPdfExport::wholeBooks_data()
{
    QTest::addColumn<QString>("source");
    QTest::newRow("Esperanto–English") << "esperanto";
    QTest::newRow("100,000 generated entries") << "generated";
}

// The dictionaries of the performance notes, a minute or two each: only when asked for.
void TestPdfExport::wholeBooks()
{
    QFETCH(QString, source);
    if (qEnvironmentVariableIntValue("VARNELL_BOOK_FULL") != 1)
        QSKIP("VARNELL_BOOK_FULL=1 typesets the Esperanto and the 100,000-entry dictionaries");
    const QString folder = m_folder.filePath(source);
    if (source == "esperanto") {
        freedict::ConversionReport report;
        QVERIFY(freedict::convertFreedictFiles("/usr/share/dictd/freedict-epo-eng.index",
                                               "/usr/share/dictd/freedict-epo-eng.dict.dz",
                                               folder,
                                               &report));
    } else {
        dictionarygenerator::GeneratorOptions options;
        options.entries = 100000;
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(dictionarygenerator::writeDictionaryFiles(
            folder, dictionarygenerator::generateDictionary(options)));
    }
    pdfbook::BookOptions options;
    options.title = source;
    const Book book = typesetBook(folder, options, m_folder.filePath(source + ".pdf"));
    QVERIFY2(!book.typeset.pdf.isEmpty(), qPrintable(book.typeset.error));
    const QList<BookPage> pages = bookPages(book.pdf, 2);
    const QStringList wrong = misguidedPages(pages);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
    // Each entry after the one before it, in the book's order (a search of the whole text for
    // each would take minutes).
    // A mark no font has may leave an empty box (read as U+FFFD) instead of nothing.
    const QString text = bodyText(pages).remove(QChar::ReplacementCharacter);
    QStringList missing;
    qsizetype from = 0;
    QString lacking; // what no font has, left out of the pages
    for (const char32_t character : book.typeset.charactersNoFontHas)
        lacking += QString::fromUcs4(&character, 1);
    for (const DictionaryEntry &entry : pdfbook::entriesByWord(book.exported.entries)) {
        QString shown = entry.word + entry.partOfSpeech + entry.translation;
        shown.removeIf([&](QChar c) { return lacking.contains(c); });
        const QString wanted = withoutBlanks(shown);
        const qsizetype at = text.indexOf(wanted, from);
        if (at < 0)
            missing.append(wanted);
        else
            from = at + wanted.size();
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.mid(0, 5).join(" | ")));
    qInfo("%s: %d pages, every page's guide words right", qPrintable(source), book.typeset.pages);
}

void TestPdfExport::hostileTextsShownAsWritten_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("shown");
    QTest::newRow("a command reading a file") << passwordFile << true;
    QTest::newRow("the file it would read") << "root:x:0:0" << false;
    QTest::newRow("a command running a program") << "\\immediate\\write18{touch" << true;
    QTest::newRow("math, an alignment") << "$x$ & y" << true;
    QTest::newRow("the end of the document") << "\\end{document}" << true;
    QTest::newRow("a definition as part of speech") << "\\def\\x{}" << true;
    QTest::newRow("every special character") << "#$%&~^_{}" << true;
    QTest::newRow("a backslash alone") << "\\" << true;
    QTest::newRow("a backslash at the end") << "反斜杠\\" << true;
    QTest::newRow("a closing brace first") << "}括号" << true;
    QTest::newRow("characters by their codes") << "^^41^^5c" << true;
    QTest::newRow("a control sequence by name") << "\\csname end\\endcsname" << true;
    QTest::newRow("dashes and quotes not joined") << "---``x''" << true;
    QTest::newRow("a comment sign") << "%注释" << true;
    QTest::newRow("control characters as blanks") << "制表 符" << true;
    QTest::newRow("brackets after right-to-left text") << "(x) [y]" << true;
    QTest::newRow("a word of 3,000 letters") << longWord << true;
    QTest::newRow("a translation of 3,000 characters") << longChinese << true;
    QTest::newRow("the title") << passwordFile + " #$%" << true;
    QTest::newRow("an entry without a word left out") << "无词的翻译" << false;
    QTest::newRow("an entry without a translation left out") << "notranslation" << false;
}

void TestPdfExport::hostileTextsShownAsWritten()
{
    QFETCH(QString, text);
    QFETCH(bool, shown);
    const Book &book = m_books.value("hostile");
    // The book's text as read, without blanks (the engine breaks long texts into lines), and the
    // title page.
    const QString all = bodyText(bookPages(book.pdf, 2))
        + withoutBlanks(QString::fromUtf8(run("pdftotext", {"-l", "1", book.pdf, "-"})));
    QCOMPARE(all.contains(withoutBlanks(text)), shown);
    QVERIFY(!QFile::exists(m_touched));
    // The emoji, and the Arabic letters (set aside as the replacement character, which no font
    // has either).
    QVERIFY(book.typeset.charactersNoFontHas.contains(U'😀'));
    QVERIFY(book.typeset.charactersNoFontHas.contains(U'\uFFFD'));
}

void TestPdfExport::fontsEmbedded_data()
{
    QTest::addColumn<QString>("book");
    for (const char *book : {"shipped a4", "generated", "hostile"})
        QTest::newRow(book) << book;
}

void TestPdfExport::fontsEmbedded()
{
    QFETCH(QString, book);
    const QStringList lines = QString::fromUtf8(run("pdffonts", {m_books.value(book).pdf}))
                                  .split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(lines.size() > 2);
    QStringList names;
    for (const QString &line : lines.mid(2)) {
        // name type encoding emb sub uni object ID: embedded, with a map back to the text.
        const QStringList fields = line.split(u' ', Qt::SkipEmptyParts);
        QVERIFY2(fields.size() >= 6, qPrintable(line));
        QCOMPARE(fields.at(fields.size() - 5), "yes");
        QCOMPARE(fields.at(fields.size() - 3), "yes");
        // Without the subset's prefix and the encoding; the Chinese font's name follows the
        // collection's first face, which differs between releases of the font (…jp-Bold).
        const QString name = fields.constFirst().section(u'+', 1).section(u'-', 0, 1);
        names.append(name.startsWith("NotoSerifCJK") ? "NotoSerifCJK-" + name.section(u'-', 1)
                                                     : name);
    }
    names.removeDuplicates();
    names.sort();
    QCOMPARE(names,
             QStringList({"LMRoman10-Bold",
                          "LMRoman10-Italic",
                          "LMRoman10-Regular",
                          "NotoSerifCJK-Bold",
                          "NotoSerifCJK-Regular"}));
}

void TestPdfExport::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments"); // after "export --texts SHIPPED"
    QTest::addColumn<bool>("withEngine");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expectedErr");
    QTest::addColumn<QString>("shownInBook"); // empty: book.pdf keeps what it held
    QTest::newRow("the book by its file name")
        << QStringList{"book.pdf"} << true << 0 << "left out: 1 empty lines"
        << "禾岚—中文词典";
    QTest::newRow("a title, A5, one column") << QStringList{"--format",
                                                            "pdf",
                                                            "--title",
                                                            "小词典",
                                                            "--paper",
                                                            "A5",
                                                            "--columns",
                                                            "1",
                                                            "book.pdf"}
                                             << true << 0 << ""
                                             << "小词典";
    QTest::newRow("unknown paper")
        << QStringList{"--paper", "b5", "book.pdf"} << true << 2 << "unknown paper 'b5'"
        << "";
    QTest::newRow("three columns")
        << QStringList{"--columns", "3", "book.pdf"} << true << 2 << "--columns takes 1 or 2"
        << "";
    QTest::newRow("no engine: nothing written")
        << QStringList{"book.pdf"} << false << 2 << "xelatex is not installed"
        << "";
}

void TestPdfExport::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, withEngine);
    QFETCH(int, exitCode);
    QFETCH(QString, expectedErr);
    QFETCH(QString, shownInBook);
    const QTemporaryDir folder;
    const QString book = folder.filePath("book.pdf");
    QVERIFY(writeBytes(book, "what was there"));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LANG", "C.UTF-8");
    environment.remove("LANGUAGE");
    environment.remove("LC_ALL");
    if (!withEngine)
        environment.insert("PATH", folder.path());
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder.path());
    process.start(VARNELL_DICT_PROGRAM,
                  QStringList{"export", "--texts", VARNELL_SHIPPED_TEXTS_DIR} + arguments);
    QVERIFY(process.waitForFinished(120000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY2(err.contains(expectedErr), qPrintable(err));
    if (shownInBook.isEmpty()) {
        QFile kept(book);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("what was there"));
    } else {
        QVERIFY(QString::fromUtf8(run("pdftotext", {book, "-"})).contains(shownInBook));
    }
}

QTEST_GUILESS_MAIN(TestPdfExport)
#include "tst_pdf_export.moc"
