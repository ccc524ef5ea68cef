#include "ResultCard.h"

#include <QDebug>

namespace {

constexpr QStringView initialHeader = u"  您还没有输入任何字词呢(⌐■_■)";
constexpr QStringView spellingFine = u"拼写没有问题";
constexpr QStringView spellingWrong = u"注意: 拼写有问题！";

QString
successCard(const QString &query, const DictionaryEntry &entry, const ConlangDictionary &dictionary)
{
    // A Chinese query names the translation, so the card is read the other way round.
    const bool chineseQuery = dictionary.isMainlyChinese(query);
    const QString correctWord = chineseQuery ? entry.translation : entry.word;
    const QString bestTranslation = chineseQuery ? entry.word : entry.translation;
    const QString example
        = dictionary.createExSentence(entry.word, entry.translation, entry.partOfSpeech);
    qDebug() << entry.phrases.size();

    QString phrase;
    QString phraseTranslation;
    if (!entry.phrases.isEmpty()) {
        phrase = entry.phrases.first();
        // The loader keeps both lists equally long; value() still copes if one is short.
        phraseTranslation = entry.phraseTranslations.value(0);
    }

    const QStringView spelling
        = (!chineseQuery && query != correctWord) ? spellingWrong : spellingFine;
    qDebug() << "搜索成功：" << query << "->" << bestTranslation;

    return QStringLiteral("%1\n  匹配状态：%2\n  正确词汇：%3\n  最佳翻译：%4\n  词性：%5\n"
                          "  相关词组：%6\n  该词组翻译：%7\n  例句：%8\n  %9")
        .arg(QStringLiteral("  搜索成功：") + query,
             u"成功",
             correctWord,
             bestTranslation,
             entry.partOfSpeech,
             phrase,
             phraseTranslation,
             example,
             spelling);
}

QString failureCard(const QString &query, const ConlangDictionary &dictionary)
{
    // Nothing was found, so the correct word is empty and any Chinese query is marked.
    const bool chineseQuery = dictionary.isMainlyChinese(query);
    const QStringView spelling = chineseQuery ? spellingWrong : spellingFine;
    const QString card = QStringLiteral("%1\n  匹配状态：%2\n  正确词汇：\n  最佳翻译：\n  词性：\n"
                                        "  相关词组：\n  该词组翻译：\n  例句：\n  %3")
                             .arg(initialHeader, u"失败", spelling);
    qDebug() << card;
    return card;
}

} // namespace

QString searchedQuery(const QString &typed)
{
    return ConlangDictionary::isInteger(typed) ? typed.trimmed() : typed;
}

QString composeResultCard(const QString &query,
                          const QList<SearchResult> &results,
                          const ConlangDictionary &dictionary)
{
    if (results.isEmpty() || !results.first().entry)
        return failureCard(query, dictionary);
    return successCard(query, *results.first().entry, dictionary);
}

QString shortenedForDisplay(const QString &text)
{
    if (text.size() <= longestShownLine)
        return text;
    QList<QString> lines;
    for (const QStringView line : QStringView(text).split(u'\n')) {
        if (line.size() <= longestShownLine)
            lines.append(line.toString());
        else
            lines.append(line.first(longestShownLine).toString() + u'…');
    }
    return lines.join(u'\n');
}
