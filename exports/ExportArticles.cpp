#include "ExportArticles.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace exports {

ExportedEntries exportedEntries(const ConlangDictionary &dictionary)
{
    const QHash<int, DictionaryEntry> &byNumber = dictionary.numberIndexData();
    QList<int> numbers = byNumber.keys();
    std::sort(numbers.begin(), numbers.end());
    ExportedEntries exported;
    exported.entries.reserve(numbers.size());
    for (const int number : numbers) {
        const DictionaryEntry &entry = byNumber.value(number);
        if (entry.word.isEmpty() || entry.translation.isEmpty())
            ++exported.withoutTranslation;
        else
            exported.entries.append(entry);
    }
    if (!numbers.isEmpty())
        exported.emptyLines = numbers.constLast() - int(numbers.size());
    return exported;
}

QList<Article> wordArticles(const ExportedEntries &exported, const ConlangDictionary &dictionary)
{
    // The text the window shows for a part of speech without a sentence of its own.
    const QString noSentence = dictionary.createExSentence({}, {}, {});
    QList<Article> articles;
    articles.reserve(exported.entries.size());
    for (const DictionaryEntry &entry : exported.entries) {
        QString text;
        if (!entry.partOfSpeech.isEmpty())
            text += QStringLiteral("词性：") + entry.partOfSpeech + u'\n';
        text += QStringLiteral("翻译：") + entry.translation + u'\n';
        for (qsizetype i = 0; i < entry.phrases.size(); ++i) {
            text += QStringLiteral("词组：") + entry.phrases.at(i) + QStringLiteral(" — ")
                + entry.phraseTranslations.value(i) + u'\n';
        }
        const QString example
            = dictionary.createExSentence(entry.word, entry.translation, entry.partOfSpeech);
        if (example != noSentence)
            text += QStringLiteral("例句：") + example + u'\n';
        text.chop(1);
        // Each further headword once: a reader would show the article again for each.
        QList<QString> phrases = entry.phrases;
        phrases.removeDuplicates();
        phrases.removeAll(entry.word);
        articles.append({entry.word, phrases, text});
    }
    return articles;
}

QList<QString> translationPieces(const QString &translation, const ConlangDictionary &dictionary)
{
    static const QRegularExpression separators(QStringLiteral("[；，;,]"));
    QList<QString> pieces;
    if (!translation.contains(separators))
        return pieces;
    for (const QString &piece : translation.split(separators, Qt::SkipEmptyParts)) {
        // The search trims what is typed, and finds a part of a translation only for a query
        // that is mainly Chinese.
        const QString typed = piece.trimmed();
        if (!typed.isEmpty() && typed != translation && dictionary.isMainlyChinese(typed)
            && !pieces.contains(typed))
            pieces.append(typed);
    }
    return pieces;
}

QList<Article> translationArticles(const ExportedEntries &exported,
                                   const ConlangDictionary &dictionary)
{
    QList<Article> articles;
    QList<QList<QString>> phraseTranslations; // of each article's entries
    QHash<QString, qsizetype> articleOf;
    QSet<QString> headwords; // the translations and their pieces, lower-cased as readers find them
    for (const DictionaryEntry &entry : exported.entries) {
        const auto found = articleOf.constFind(entry.translation);
        const qsizetype at = found == articleOf.cend() ? articles.size() : found.value();
        if (at == articles.size()) {
            articleOf.insert(entry.translation, at);
            articles.append(
                {entry.translation, translationPieces(entry.translation, dictionary), QString()});
            phraseTranslations.append(QList<QString>());
            headwords.insert(entry.translation.toLower());
            for (const QString &piece : std::as_const(articles.last().otherHeadwords))
                headwords.insert(piece.toLower());
        } else {
            articles[at].text += u'\n';
        }
        Article &article = articles[at];
        article.text += entry.word;
        if (!entry.partOfSpeech.isEmpty())
            article.text += QStringLiteral(" (") + entry.partOfSpeech + u')';
        for (qsizetype i = 0; i < entry.phrases.size(); ++i) {
            article.text += QStringLiteral("\n词组：") + entry.phrases.at(i) + QStringLiteral(" — ")
                + entry.phraseTranslations.value(i);
            phraseTranslations[at].append(entry.phraseTranslations.value(i).trimmed());
        }
    }
    // A reader who meets a phrase in Chinese finds the entry it belongs to, unless that text
    // finds an article of its own already: a reader that shows one article a headword (sdcv)
    // would show the phrase's instead.
    for (qsizetype at = 0; at < articles.size(); ++at) {
        for (const QString &translation : std::as_const(phraseTranslations.at(at))) {
            if (!translation.isEmpty() && !headwords.contains(translation.toLower())
                && !articles.at(at).otherHeadwords.contains(translation))
                articles[at].otherHeadwords.append(translation);
        }
    }
    return articles;
}

} // namespace exports
