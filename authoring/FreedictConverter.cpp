#include "FreedictConverter.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <functional>

namespace freedict {

namespace {

constexpr qint64 largestDictdNumber = qint64(1) << 48;

struct ArticleSpan
{
    QString key;
    qint64 offset = 0;
    qint64 length = 0;
};

// One article, or all articles of one headword taken together.
struct Article
{
    QString headword;
    QList<QString> tags;
    QList<QString> senses;
};

bool isMetadataKey(const QByteArray &key)
{
    return key.startsWith("00database") || key.startsWith("00-database");
}

// One line of text: every kind of white space a single blank, no control character or
// byte-order mark (a reader would take one at the start of a file for the file's own).
QString oneLine(QStringView text)
{
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (c.isSpace())
            kept += u' ';
        else if (c.category() != QChar::Other_Control && c != QChar::ByteOrderMark)
            kept += c;
    }
    return kept.simplified();
}

// The dictionary files separate phrases with ","; inside a phrase it becomes ";".
QString withoutCommas(QString text)
{
    return text.replace(u',', u';');
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// "2. moonstone" -> "moonstone"; "1.5 litres" stays whole.
QString withoutNumbering(const QString &sense)
{
    qsizetype digits = 0;
    while (digits < sense.size() && digits < 4 && isAsciiDigit(sense.at(digits)))
        ++digits;
    if (digits == 0 || digits == 4 || digits >= sense.size() || sense.at(digits) != u'.')
        return sense;
    if (digits + 1 == sense.size())
        return QString();
    return sense.at(digits + 1) == u' ' ? sense.mid(digits + 2) : sense;
}

// "<v>" -> "v."; "<n, masc>" -> "n." and "masc.".
QList<QString> shortTags(const QString &tagText)
{
    static const QRegularExpression separators(QStringLiteral("[,;/\\s]+"));
    QList<QString> tags;
    for (const QString &piece : tagText.split(separators, Qt::SkipEmptyParts)) {
        QString tag = oneLine(piece);
        if (tag.isEmpty())
            continue;
        if (!tag.endsWith(u'.'))
            tag += u'.';
        if (!tags.contains(tag))
            tags.append(tag);
    }
    return tags;
}

// "headword /pronunciation/ <tags>": the pronunciation and the tags are optional.
void readHeadLine(QString line, Article &article)
{
    line = line.trimmed();
    if (line.endsWith(u'>')) {
        const qsizetype open = line.lastIndexOf(u'<');
        if (open > 0 && line.at(open - 1).isSpace()) {
            article.tags = shortTags(line.mid(open + 1, line.size() - open - 2));
            line = line.left(open).trimmed();
        }
    }
    if (line.size() >= 2 && line.endsWith(u'/')) {
        const qsizetype open = line.lastIndexOf(u'/', line.size() - 2);
        if (open > 0 && line.at(open - 1).isSpace())
            line = line.left(open);
    }
    article.headword = oneLine(line);
}

bool isIndented(const QString &line)
{
    return line.startsWith(QLatin1String("  ")) || line.startsWith(u'\t');
}

Article readArticle(const QString &text, const QString &key)
{
    const QList<QString> lines = text.split(u'\n');
    Article article;
    readHeadLine(lines.first(), article);
    if (article.headword.isEmpty())
        article.headword = oneLine(key);

    bool continuesLine = false; // an indented line adds to the sense before it
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString line = oneLine(lines.at(i));
        if (continuesLine && !line.isEmpty() && isIndented(lines.at(i))) {
            article.senses.last() += u' ' + line;
            continue;
        }
        const QString sense = withoutNumbering(line);
        continuesLine = !sense.isEmpty();
        if (continuesLine)
            article.senses.append(sense);
    }
    article.senses.removeDuplicates();
    return article;
}

// Appends the items of `more` that `list` lacks; true when it appended any.
bool addMissing(QList<QString> &list, const QList<QString> &more)
{
    bool added = false;
    for (const QString &item : more) {
        if (!list.contains(item)) {
            list.append(item);
            added = true;
        }
    }
    return added;
}

QList<ArticleSpan> readIndex(const QByteArray &index, qint64 dictSize, ConversionReport &report)
{
    QList<ArticleSpan> spans;
    for (QByteArray line : index.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        ++report.indexLines;
        const QList<QByteArray> fields = line.split('\t');
        if (isMetadataKey(fields.first())) {
            ++report.metadataLines;
            continue;
        }
        bool offsetOk = false;
        bool lengthOk = false;
        const qint64 offset = fields.size() >= 3 ? decodeDictdNumber(fields.at(1), &offsetOk) : 0;
        const qint64 length = fields.size() >= 3 ? decodeDictdNumber(fields.at(2), &lengthOk) : 0;
        if (!offsetOk || !lengthOk || offset > dictSize || length > dictSize - offset) {
            ++report.unreadableLines;
            continue;
        }
        spans.append({QString::fromUtf8(fields.first()), offset, length});
    }
    // Source order: where the articles stand in the .dict, not the index's folded key order.
    std::stable_sort(spans.begin(), spans.end(), [](const ArticleSpan &a, const ArticleSpan &b) {
        return a.offset < b.offset;
    });
    return spans;
}

// The articles taken together by headword, in source order.
QList<Article>
readHeadwords(const QList<ArticleSpan> &spans, const QByteArray &dict, ConversionReport &report)
{
    QList<Article> headwords;
    QHash<QString, qsizetype> positionOf;
    QSet<QByteArray> seenArticles; // views into `dict`
    for (const ArticleSpan &span : spans) {
        const QByteArray bytes
            = QByteArray::fromRawData(dict.constData() + span.offset, span.length);
        if (seenArticles.contains(bytes)) {
            ++report.repeatedArticles;
            continue;
        }
        seenArticles.insert(bytes);

        const Article article = readArticle(QString::fromUtf8(bytes), span.key);
        if (article.headword.isEmpty() || article.senses.isEmpty()) {
            ++report.incompleteArticles;
            continue;
        }
        const auto found = positionOf.constFind(article.headword);
        if (found == positionOf.cend()) {
            positionOf.insert(article.headword, headwords.size());
            headwords.append(article);
            continue;
        }
        Article &known = headwords[found.value()];
        const bool newSenses = addMissing(known.senses, article.senses);
        const bool newTags = addMissing(known.tags, article.tags);
        ++(newSenses || newTags ? report.mergedArticles : report.repeatedArticles);
    }
    return headwords;
}

QString translationOf(const Article &headword)
{
    return headword.senses.join(QLatin1String("; "));
}

void addPhrase(ConvertedEntry &entry, const Article &headword)
{
    entry.phrases.append(withoutCommas(headword.headword));
    entry.phraseTranslations.append(withoutCommas(translationOf(headword)));
}

// The first word of a headword of several words, as a word key; empty for a single word.
QString firstWordKey(const QString &headword)
{
    const qsizetype blank = headword.indexOf(u' ');
    return blank > 0 ? headword.left(blank).toLower() : QString();
}

bool isLowerCase(const QString &text)
{
    return text == text.toLower();
}

// The dictionary finds one entry per word key (the word lower-cased), so headwords that differ
// only in letter case share an entry: its word is the lower-case spelling when there is one
// (the common word rather than the name), and the other spellings are its first phrases.
QList<ConvertedEntry> fileEntries(const QList<Article> &headwords, ConversionReport &report)
{
    QSet<QString> oneWordKeys;
    for (const Article &headword : headwords) {
        if (!headword.headword.contains(u' '))
            oneWordKeys.insert(headword.headword.toLower());
    }

    QList<qsizetype> phrases; // positions in `headwords`
    QList<QList<qsizetype>> spellings; // per entry, the positions of its headwords
    QHash<QString, qsizetype> entryOfKey;
    for (qsizetype i = 0; i < headwords.size(); ++i) {
        const QString &headword = headwords.at(i).headword;
        if (oneWordKeys.contains(firstWordKey(headword))) {
            phrases.append(i);
            continue;
        }
        const qsizetype entry = entryOfKey.value(headword.toLower(), spellings.size());
        if (entry == spellings.size()) {
            entryOfKey.insert(headword.toLower(), entry);
            spellings.append(QList<qsizetype>());
        }
        spellings[entry].append(i);
    }

    QList<ConvertedEntry> entries;
    entries.reserve(spellings.size());
    for (const QList<qsizetype> &group : spellings) {
        const auto lowerCase = std::find_if(group.cbegin(), group.cend(), [&](qsizetype i) {
            return isLowerCase(headwords.at(i).headword);
        });
        const Article &main = headwords.at(lowerCase == group.cend() ? group.first() : *lowerCase);
        entries.append({main.headword, translationOf(main), main.tags.join(u';'), {}, {}});
        for (const qsizetype i : group) {
            if (&headwords.at(i) != &main) {
                addPhrase(entries.last(), headwords.at(i));
                ++report.caseVariants;
            }
        }
    }
    for (const qsizetype i : phrases)
        addPhrase(entries[entryOfKey.value(firstWordKey(headwords.at(i).headword))],
                  headwords.at(i));
    report.phrases = report.caseVariants + int(phrases.size());
    report.entries = int(entries.size());
    return entries;
}

QList<QString> lines(const QList<ConvertedEntry> &entries,
                     const std::function<QString(const ConvertedEntry &)> &field)
{
    QList<QString> lines;
    lines.reserve(entries.size());
    for (const ConvertedEntry &entry : entries)
        lines.append(field(entry));
    return lines;
}

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

} // namespace

qint64 decodeDictdNumber(QByteArrayView digits, bool *ok)
{
    static constexpr char alphabet[]
        = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    *ok = false;
    if (digits.isEmpty())
        return 0;
    qint64 value = 0;
    for (const char digit : digits) {
        const char *found = digit ? std::strchr(alphabet, digit) : nullptr;
        if (!found)
            return 0;
        value = value * 64 + (found - alphabet);
        if (value > largestDictdNumber)
            return 0;
    }
    *ok = true;
    return value;
}

Conversion convertFreedict(const QByteArray &index, const QByteArray &dict)
{
    Conversion conversion;
    const QList<ArticleSpan> spans = readIndex(index, dict.size(), conversion.report);
    const QList<Article> headwords = readHeadwords(spans, dict, conversion.report);
    conversion.entries = fileEntries(headwords, conversion.report);
    return conversion;
}

dictionaryformat::Texts formatDictionaryFiles(const QList<ConvertedEntry> &entries)
{
    const QChar separator = dictionaryformat::phraseSeparator;
    return {lines(entries, [](const ConvertedEntry &e) { return e.word; }),
            lines(entries, [](const ConvertedEntry &e) { return e.translation; }),
            lines(entries, [](const ConvertedEntry &e) { return e.partOfSpeech; }),
            lines(entries, [&](const ConvertedEntry &e) { return e.phrases.join(separator); }),
            lines(entries,
                  [&](const ConvertedEntry &e) { return e.phraseTranslations.join(separator); })};
}

bool readDictFile(const QString &path, QByteArray *contents, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    if (file.peek(2) != QByteArrayLiteral("\x1f\x8b")) {
        *contents = file.readAll();
        return true;
    }
    file.close();

    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), QStringLiteral("--"), path});
    if (!gzip.waitForStarted())
        return fail(error, QStringLiteral("cannot run gzip: %1").arg(gzip.errorString()));
    gzip.closeWriteChannel();
    if (!gzip.waitForFinished(-1) || gzip.exitStatus() != QProcess::NormalExit
        || gzip.exitCode() != 0) {
        const QString reason = QString::fromLocal8Bit(gzip.readAllStandardError()).trimmed();
        return fail(error, QStringLiteral("gzip could not uncompress %1: %2").arg(path, reason));
    }
    *contents = gzip.readAllStandardOutput();
    return true;
}

bool convertFreedictFiles(const QString &indexPath,
                          const QString &dictPath,
                          const QString &folder,
                          ConversionReport *report,
                          QString *error)
{
    QFile indexFile(indexPath);
    if (!indexFile.open(QIODevice::ReadOnly))
        return fail(error,
                    QStringLiteral("cannot open %1: %2").arg(indexPath, indexFile.errorString()));
    const QByteArray index = indexFile.readAll();
    QByteArray dict;
    if (!readDictFile(dictPath, &dict, error))
        return false;
    const Conversion conversion = convertFreedict(index, dict);
    if (report)
        *report = conversion.report;
    if (!QDir().mkpath(folder))
        return fail(error, QStringLiteral("cannot create %1").arg(folder));
    QString reason;
    if (!dictionaryformat::writeFolder(folder, formatDictionaryFiles(conversion.entries), &reason))
        return fail(error, reason);
    return true;
}

QString describeReport(const ConversionReport &report)
{
    return QStringLiteral("%1 index lines: %2 metadata, %3 unreadable, %4 repeated articles, "
                          "%5 merged into the entry of their headword, %6 without headword or "
                          "gloss\n%7 entries, %8 phrases (%9 of them spellings in other letter "
                          "case)")
        .arg(report.indexLines)
        .arg(report.metadataLines)
        .arg(report.unreadableLines)
        .arg(report.repeatedArticles)
        .arg(report.mergedArticles)
        .arg(report.incompleteArticles)
        .arg(report.entries)
        .arg(report.phrases)
        .arg(report.caseVariants);
}

} // namespace freedict
