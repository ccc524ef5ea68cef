#include "EntryChanges.h"

#include "LineReader.h"
#include "VarnellDictText.h"

#include <algorithm>
#include <array>

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

// One line's five fields.
using Fields = std::array<QString, dictionaryformat::fileCount>;

bool holdsEntry(const Fields &fields)
{
    return !fields[int(File::Words)].trimmed().isEmpty()
        || !fields[int(File::Translations)].trimmed().isEmpty();
}

Fields fieldsOf(const dictionaryformat::Texts &texts, qsizetype index)
{
    Fields fields;
    for (int i = 0; i < dictionaryformat::fileCount; ++i)
        fields[i] = texts[dictionaryformat::fileAt(i)].value(index);
    return fields;
}

void countLine(Summary *summary,
               qsizetype index,
               const Fields &old,
               const Fields &now,
               int keep,
               const FieldVisitor &visit = {})
{
    const bool had = holdsEntry(old);
    const bool has = holdsEntry(now);
    summary->entriesBefore += had ? 1 : 0;
    bool differs = false;
    for (int i = 0; i < dictionaryformat::fileCount; ++i) {
        if (old[i] == now[i])
            continue;
        differs = true;
        if (summary->firstChanges.size() < keep || visit) {
            const FieldChange change{int(index + 1), dictionaryformat::fileAt(i), old[i], now[i]};
            if (summary->firstChanges.size() < keep)
                summary->firstChanges.append(change);
            if (visit)
                visit(change);
        }
    }
    if (!differs) {
        summary->unchanged += has ? 1 : 0;
        return;
    }
    summary->changedLines.insert(int(index + 1));
    if (had && has)
        ++summary->changed;
    else if (has)
        ++summary->added;
    else if (had)
        ++summary->emptied;
}

void countAddedGaps(Summary *summary, qsizetype linesBefore, const dictionaryformat::Texts &after)
{
    for (qsizetype index = linesBefore; index < lineCount(after); ++index)
        summary->gapsAdded += holdsEntry(fieldsOf(after, index)) ? 0 : 1;
}

} // namespace

Summary
compare(const dictionaryformat::Texts &before, const dictionaryformat::Texts &after, int keep)
{
    Summary summary;
    const qsizetype linesBefore = lineCount(before);
    const qsizetype lines = std::max(linesBefore, lineCount(after));
    for (qsizetype index = 0; index < lines; ++index)
        countLine(&summary, index, fieldsOf(before, index), fieldsOf(after, index), keep);
    countAddedGaps(&summary, linesBefore, after);
    return summary;
}

Summary compareWithFolder(const QString &folder, const dictionaryformat::Texts &after, int keep)
{
    return compareWithFolder(folder, after, keep, {});
}

Summary compareWithFolder(const QString &folder,
                          const dictionaryformat::Texts &after,
                          int keep,
                          const FieldVisitor &visit)
{
    // The files are read line by line in step, never held whole: at a million entries the
    // dictionary's lines take hundreds of megabytes.
    std::array<LineReader, dictionaryformat::fileCount> readers;
    std::array<bool, dictionaryformat::fileCount> open{};
    for (int i = 0; i < dictionaryformat::fileCount; ++i)
        open[i] = readers[i].open(dictionaryformat::filePath(folder, dictionaryformat::fileAt(i)));
    Summary summary;
    qsizetype linesBefore = 0;
    Fields old;
    for (qsizetype index = 0;; ++index) {
        bool more = false;
        for (int i = 0; i < dictionaryformat::fileCount; ++i) {
            const bool hasLine = open[i] && !readers[i].atEnd();
            if (hasLine)
                readers[i].readLineInto(&old[i]);
            else
                old[i].clear();
            more = more || hasLine;
        }
        if (more)
            linesBefore = index + 1;
        if (!more && index >= lineCount(after))
            break;
        countLine(&summary, index, old, fieldsOf(after, index), keep, visit);
    }
    countAddedGaps(&summary, linesBefore, after);
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
