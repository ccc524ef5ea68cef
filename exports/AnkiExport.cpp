#include "AnkiExport.h"

#include "DictionaryFormat.h"

#include <QCryptographicHash>

namespace anki {

namespace {

// A tag is one word of the tags column: blanks would split it, and the file's own separators
// would end the column.
QString tagOf(const QString &partOfSpeechTag)
{
    QString tag = partOfSpeechTag;
    for (QChar &c : tag) {
        if (c.isSpace() || c == u'"')
            c = u'_';
    }
    return tag;
}

QString tagsOf(const QString &partOfSpeech)
{
    QList<QString> tags;
    for (const QString &piece : dictionaryformat::partOfSpeechTags(partOfSpeech)) {
        const QString tag = tagOf(piece);
        if (!tags.contains(tag))
            tags.append(tag);
    }
    return tags.join(u' ');
}

QString
backOf(const DictionaryEntry &entry, const ConlangDictionary &dictionary, const QString &noSentence)
{
    QString back = escapedField(entry.translation);
    if (!entry.partOfSpeech.isEmpty())
        back += QStringLiteral("<br><i>") + escapedField(entry.partOfSpeech)
            + QStringLiteral("</i>");
    if (!entry.phrases.isEmpty()) {
        back += QStringLiteral("<ul>");
        for (qsizetype i = 0; i < entry.phrases.size(); ++i) {
            back += QStringLiteral("<li>") + escapedField(entry.phrases.at(i))
                + QStringLiteral(" — ") + escapedField(entry.phraseTranslations.value(i))
                + QStringLiteral("</li>");
        }
        back += QStringLiteral("</ul>");
    }
    const QString example
        = dictionary.createExSentence(entry.word, entry.translation, entry.partOfSpeech);
    if (example != noSentence)
        back += QStringLiteral("<br>") + escapedField(example);
    return back;
}

// The header's values are one line each.
QString headerValue(const QString &value)
{
    QString line = value;
    for (QChar &c : line) {
        if (c == u'\n' || c == u'\r' || c == u'\t')
            c = u' ';
    }
    return line;
}

} // namespace

QString escapedField(const QString &text)
{
    QString escaped = text.toHtmlEscaped();
    escaped.replace(u'\t', QStringLiteral("&#9;"));
    escaped.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
    escaped.replace(u'\n', QStringLiteral("<br>"));
    escaped.replace(u'\r', QStringLiteral("<br>"));
    return escaped;
}

QString noteGuid(const QString &dictionaryName, int entryNumber)
{
    const QByteArray source = dictionaryName.toUtf8() + '\n' + QByteArray::number(entryNumber);
    // 80 bits of the hash: no two entries of one dictionary, nor of a learner's other decks, meet.
    return QString::fromLatin1(
        QCryptographicHash::hash(source, QCryptographicHash::Sha256).left(10).toHex());
}

QByteArray writeNotes(const exports::ExportedEntries &exported,
                      const ConlangDictionary &dictionary,
                      const Deck &deck)
{
    const QString noSentence = dictionary.createExSentence({}, {}, {});
    // No line naming the columns: the importer would look the names up among the note type's
    // fields, which a Chinese collection calls 正面 and 背面, find none and put the GUID on the
    // front. Without it, the fields take the columns in order, the GUID and tags columns skipped.
    // "Basic" is found in an English collection; elsewhere the importer offers the note type
    // last used, and the learner picks 问答题 (README).
    QString text = QStringLiteral("#separator:tab\n#html:true\n#notetype:Basic\n#deck:")
        + headerValue(deck.deckName) + QStringLiteral("\n#if matches:update current\n")
        + QStringLiteral("#guid column:") + QString::number(guidColumn) + u'\n';
    if (deck.tags)
        text += QStringLiteral("#tags column:") + QString::number(tagsColumn) + u'\n';
    for (const DictionaryEntry &entry : exported.entries) {
        text += noteGuid(deck.dictionaryName, entry.number) + u'\t' + escapedField(entry.word)
            + u'\t' + backOf(entry, dictionary, noSentence);
        if (deck.tags)
            text += u'\t' + tagsOf(entry.partOfSpeech);
        text += u'\n';
    }
    return text.toUtf8();
}

} // namespace anki
