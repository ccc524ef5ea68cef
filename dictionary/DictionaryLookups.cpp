#include "ConlangDictionary.h"

const DictionaryEntry *ConlangDictionary::lookupByNumIndex(int number) const
{
    const auto it = numberIndex.constFind(number);
    return it == numberIndex.cend() ? nullptr : &it.value();
}

const DictionaryEntry *ConlangDictionary::lookupByWord(const QString &word) const
{
    const auto it = wordIndex.constFind(word.toLower());
    return it == wordIndex.cend() ? nullptr : &it.value();
}

QList<int> ConlangDictionary::getAllIndices() const
{
    return numberIndex.keys();
}

QList<const DictionaryEntry *>
ConlangDictionary::lookupByExactChinese(const QString &translation) const
{
    const auto it = chineseIndex.constFind(translation);
    return it == chineseIndex.cend() ? QList<const DictionaryEntry *>() : entriesOf(it.value());
}

QList<const DictionaryEntry *> ConlangDictionary::lookupByPartOfSpeech(const QString &tag) const
{
    const auto it = posIndex.constFind(tag.trimmed().toLower());
    return it == posIndex.cend() ? QList<const DictionaryEntry *>() : entriesOf(it.value());
}

QList<const DictionaryEntry *> ConlangDictionary::entriesOf(const QList<QString> &wordKeys) const
{
    QList<const DictionaryEntry *> entries;
    entries.reserve(wordKeys.size());
    for (const QString &wordKey : wordKeys) {
        const auto it = wordIndex.constFind(wordKey.toLower());
        if (it != wordIndex.cend())
            entries.append(&it.value());
    }
    return entries;
}

QString ConlangDictionary::createExSentence(const QString &word,
                                            const QString &translation,
                                            const QString &partOfSpeech) const
{
    // One multi-argument substitution, so a "%2" inside the word stays literal.
    if (partOfSpeech == QLatin1String("ko."))
        return QStringLiteral("Ber ini na %1?\n  例句中文意义：你有%2吗？").arg(word, translation);
    if (partOfSpeech == QLatin1String("kiu."))
        return QStringLiteral("Ber orvan ber %1?\n  例句中文意义：奥凡是不是%2的？")
            .arg(word, translation);
    if (partOfSpeech == QLatin1String("ka."))
        return QStringLiteral("Ber %1 rado?\n  例句中文意义：%2安全吗？").arg(word, translation);
    return QStringLiteral("\n  例句中文意义：");
}
