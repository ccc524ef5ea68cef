#include "WebData.h"

#include "ChineseVariants.h"
#include "ConlangDictionary.h"

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

QJsonArray recordArray(const DictionaryEntry &entry, int previousNumber)
{
    QJsonArray record{entry.number - previousNumber - 1,
                      entry.word,
                      entry.translation,
                      entry.partOfSpeech,
                      QJsonArray::fromStringList(entry.phrases),
                      QJsonArray::fromStringList(entry.phraseTranslations)};
    // The page must name words by the very keys the loader made; Qt's lower-casing is not
    // JavaScript's for every character.
    const QString wordKey = entry.word.toLower();
    if (wordKey != entry.word)
        record.append(wordKey);
    return record;
}

} // namespace

QString webdata::dictionaryName(const QString &folder)
{
    const QString parent = QFileInfo(QDir::cleanPath(QDir(folder).absolutePath())).dir().dirName();
    return parent.isEmpty() || parent == u"." || parent == u"/" ? QStringLiteral("texts") : parent;
}

QByteArray webdata::dataScript(const ConlangDictionary &dictionary, const QString &name)
{
    const QHash<int, DictionaryEntry> &numberIndex = dictionary.numberIndexData();
    QList<int> numbers = numberIndex.keys();
    std::sort(numbers.begin(), numbers.end());
    QJsonArray records;
    int previousNumber = 0;
    for (const int number : std::as_const(numbers)) {
        records.append(recordArray(*numberIndex.constFind(number), previousNumber));
        previousNumber = number;
    }
    QJsonObject data{{QStringLiteral("format"), dataFormat},
                     {QStringLiteral("name"), name},
                     {QStringLiteral("records"), records}};
    const QJsonObject variants = chineseVariantTables(dictionary);
    if (!variants.isEmpty())
        data.insert(QStringLiteral("variants"), variants);
    return "globalThis.varnellDictionaryData = "
        + scriptSafe(QJsonDocument(data).toJson(QJsonDocument::Compact)) + ";\n";
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
