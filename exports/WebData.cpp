#include "WebData.h"

#include "ChineseVariants.h"
#include "ConlangDictionary.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

// JSON allows "<" and the line and paragraph separators raw inside strings; escaped, a text
// "</script>" cannot end an inline script and older JavaScript engines parse every line.
QByteArray scriptSafe(QByteArray json)
{
    json.replace("<", "\\u003c");
    json.replace("\xE2\x80\xA8", "\\u2028");
    json.replace("\xE2\x80\xA9", "\\u2029");
    return json;
}

// The records, a text per field: each text holds its field of every record, one a line (no line
// of the five files holds a line feed), so the page reads a few long strings where an array per
// record would be hundreds of thousands of objects to parse; phrases and their translations are
// one a line, record after record, with the count of each record's.
struct Columns
{
    int count = 0;
    QStringList words, translations, partsOfSpeech, phrases, phraseTranslations;
    QJsonArray phraseCounts;
    QJsonArray skipped; // index, lines skipped before it since the record before: where not 0
    QJsonArray wordKeys; // index, word key: where lower-casing changed the word
};

void addRecord(Columns *columns, const DictionaryEntry &entry, int previousNumber)
{
    const int index = columns->count++;
    if (entry.number - previousNumber - 1 != 0)
        columns->skipped << index << entry.number - previousNumber - 1;
    columns->words.append(entry.word);
    columns->translations.append(entry.translation);
    columns->partsOfSpeech.append(entry.partOfSpeech);
    columns->phrases.append(entry.phrases);
    columns->phraseTranslations.append(entry.phraseTranslations);
    columns->phraseCounts.append(entry.phrases.size());
    // The page must name words by the very keys the loader made; Qt's lower-casing is not
    // JavaScript's for every character.
    const QString wordKey = entry.word.toLower();
    if (wordKey != entry.word)
        columns->wordKeys << index << wordKey;
}

QString lines(const QStringList &texts)
{
    return texts.join(u'\n');
}

} // namespace

QString webdata::dictionaryName(const QString &folder)
{
    const QFileInfo path(QDir::cleanPath(QDir(folder).absolutePath()));
    const QString name = path.fileName() == u"texts" ? path.dir().dirName() : path.fileName();
    return name.isEmpty() || name == u"." || name == u"/" ? QStringLiteral("texts") : name;
}

bool webdata::usesLegendTags(const ConlangDictionary &dictionary)
{
    // As the legend in web/static/index.html (#legend-tags) lists them.
    for (const char *tag : {"ko.", "kiu.", "koler.", "koos.", "ka.", "kei."}) {
        if (!dictionary.lookupByPartOfSpeech(QString::fromLatin1(tag)).isEmpty())
            return true;
    }
    return false;
}

QByteArray webdata::dataScript(const ConlangDictionary &dictionary, const PageInfo &page)
{
    const QHash<int, DictionaryEntry> &numberIndex = dictionary.numberIndexData();
    QList<int> numbers = numberIndex.keys();
    std::sort(numbers.begin(), numbers.end());
    Columns columns;
    int previousNumber = 0;
    for (const int number : std::as_const(numbers)) {
        addRecord(&columns, *numberIndex.constFind(number), previousNumber);
        previousNumber = number;
    }
    QJsonObject data{{QStringLiteral("format"), dataFormat},
                     {QStringLiteral("name"), page.name},
                     {QStringLiteral("title"), page.title},
                     {QStringLiteral("legend"), page.legend},
                     {QStringLiteral("count"), columns.count},
                     {QStringLiteral("skipped"), columns.skipped},
                     {QStringLiteral("words"), lines(columns.words)},
                     {QStringLiteral("wordKeys"), columns.wordKeys},
                     {QStringLiteral("translations"), lines(columns.translations)},
                     {QStringLiteral("partsOfSpeech"), lines(columns.partsOfSpeech)},
                     {QStringLiteral("phraseCounts"), columns.phraseCounts},
                     {QStringLiteral("phrases"), lines(columns.phrases)},
                     {QStringLiteral("phraseTranslations"), lines(columns.phraseTranslations)}};
    const QJsonObject variants = chineseVariantTables(dictionary);
    if (!variants.isEmpty())
        data.insert(QStringLiteral("variants"), variants);
    if (!page.book.isEmpty())
        data.insert(QStringLiteral("pdf"), page.book);
    return "globalThis.varnellDictionaryData = "
        + scriptSafe(QJsonDocument(data).toJson(QJsonDocument::Compact)) + ";\n";
}

QByteArray webdata::indexPage(QByteArray page,
                              const QString &title,
                              const QList<QString> &names,
                              const QList<QByteArray> &contents)
{
    // The page's own file names its title twice, as the tab's and as its heading.
    page.replace(">" + windowTitle.toUtf8() + "<", ">" + title.toHtmlEscaped().toUtf8() + "<");
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QByteArray version
            = QCryptographicHash::hash(contents.at(i), QCryptographicHash::Sha256).toHex().left(16);
        const QByteArray name = names.at(i).toUtf8();
        page.replace("=\"" + name + "\"", "=\"" + name + "?v=" + version + "\"");
    }
    return page;
}

QByteArray webdata::manifest(const QByteArray &manifest, const QString &title)
{
    QJsonObject app = QJsonDocument::fromJson(manifest).object();
    app.insert(QStringLiteral("name"), title);
    app.insert(QStringLiteral("short_name"), title);
    // The page's own description is the shipped dictionary's.
    if (title != windowTitle)
        app.insert(QStringLiteral("description"), title);
    return QJsonDocument(app).toJson(QJsonDocument::Indented);
}

QJsonObject webdata::chineseVariantTables(const ConlangDictionary &dictionary)
{
    // Every character a converted query could have to match: those of the translations and the
    // phrase translations.
    QSet<char32_t> characters;
    const auto addCharacters = [&](const QString &text) {
        for (const uint point : text.toUcs4())
            characters.insert(char32_t(point));
    };
    for (const DictionaryEntry &entry : dictionary.numberIndexData()) {
        addCharacters(entry.translation);
        for (const QString &translation : entry.phraseTranslations)
            addCharacters(translation);
    }
    return chinesevariants::Converter().pageTables(characters);
}
