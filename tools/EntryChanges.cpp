#include "EntryChanges.h"

#include "Subcommands.h"

#include <algorithm>

namespace entrychanges {

namespace {

using dictionaryformat::File;

qsizetype lineCount(const dictionaryformat::Texts &texts)
{
    qsizetype count = 0;
    for (int i = 0; i < dictionaryformat::fileCount; ++i)
        count = std::max(count, texts[dictionaryformat::fileAt(i)].size());
    return count;
}

bool holdsEntry(const dictionaryformat::Texts &texts, qsizetype index)
{
    return !texts.words.value(index).trimmed().isEmpty()
        || !texts.translations.value(index).trimmed().isEmpty();
}

} // namespace

Summary
compare(const dictionaryformat::Texts &before, const dictionaryformat::Texts &after, int keep)
{
    Summary summary;
    const qsizetype linesBefore = lineCount(before);
    const qsizetype lines = std::max(linesBefore, lineCount(after));
    for (qsizetype index = 0; index < lines; ++index) {
        const bool had = holdsEntry(before, index);
        const bool has = holdsEntry(after, index);
        summary.entriesBefore += had ? 1 : 0;
        bool differs = false;
        for (int i = 0; i < dictionaryformat::fileCount; ++i) {
            const File file = dictionaryformat::fileAt(i);
            const QString old = before[file].value(index);
            const QString now = after[file].value(index);
            if (old == now)
                continue;
            differs = true;
            if (summary.firstChanges.size() < keep)
                summary.firstChanges.append({int(index + 1), file, old, now});
        }
        if (!has && index >= linesBefore && index < lineCount(after))
            ++summary.gapsAdded;
        if (!differs) {
            summary.unchanged += has ? 1 : 0;
            continue;
        }
        summary.changedLines.insert(int(index + 1));
        if (had && has)
            ++summary.changed;
        else if (has)
            ++summary.added;
        else if (had)
            ++summary.emptied;
    }
    return summary;
}

bool linedUp(const dictionaryformat::Texts &texts)
{
    for (int i = 1; i < dictionaryformat::fileCount; ++i) {
        if (texts[dictionaryformat::fileAt(i)].size() != texts.words.size())
            return false;
    }
    return true;
}

QString NewEntry::lineOf(File file) const
{
    const dictionaryformat::Texts lines{
        {word},
        {translation},
        {partsOfSpeech},
        {phrases.join(dictionaryformat::phraseSeparator)},
        {phraseTranslations.join(dictionaryformat::phraseSeparator)}};
    return lines[file].constFirst();
}

NewEntry NewEntry::fromLine(const dictionaryformat::Texts &texts, int number)
{
    const auto pieces = [&](File file) {
        return texts[file]
            .value(number - 1)
            .split(dictionaryformat::phraseSeparator, Qt::SkipEmptyParts);
    };
    return {texts.words.value(number - 1),
            texts.translations.value(number - 1),
            texts.partsOfSpeech.value(number - 1),
            pieces(File::Phrases),
            pieces(File::PhraseTranslations)};
}

QString flawOf(const NewEntry &entry)
{
    if (entry.phrases.size() != entry.phraseTranslations.size())
        return VarnellDict::tr("phrases and phrase translations differ in number (%1 against %2): "
                               "give one --phrase-translation for each --phrase")
            .arg(entry.phrases.size())
            .arg(entry.phraseTranslations.size());
    for (int i = 0; i < dictionaryformat::fileCount; ++i) {
        const QString line = entry.lineOf(dictionaryformat::fileAt(i));
        if (line.contains(u'\n') || line.contains(u'\r'))
            return VarnellDict::tr("%1 holds a line break").arg(u'"' + line + u'"');
        // The command line's bytes that are not UTF-8 arrive as U+FFFD.
        if (line.contains(QChar::ReplacementCharacter))
            return VarnellDict::tr("%1 holds bytes that are not UTF-8").arg(u'"' + line + u'"');
    }
    for (const QList<QString> *pieces : {&entry.phrases, &entry.phraseTranslations}) {
        for (const QString &piece : *pieces) {
            if (piece.contains(dictionaryformat::phraseSeparator))
                return VarnellDict::tr("%1 holds the separator '%2': the window would read it "
                                       "as two pieces")
                    .arg(u'"' + piece + u'"', dictionaryformat::phraseSeparator);
            if (piece.trimmed().isEmpty())
                return VarnellDict::tr("a phrase or phrase translation is empty");
        }
    }
    return {};
}

int lineOfWord(const dictionaryformat::Texts &texts, const QString &word, int except)
{
    const QString key = word.toLower();
    for (qsizetype i = 0; i < texts.words.size(); ++i) {
        const QString existing = texts.words.at(i).trimmed();
        if (!existing.isEmpty() && existing.toLower() == key && i + 1 != except)
            return int(i + 1);
    }
    return 0;
}

} // namespace entrychanges
