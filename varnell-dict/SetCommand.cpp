// varnell-dict set: changes fields of one entry in place.

#include "Subcommands.h"

#include "DictionaryFormat.h"
#include "EntryChanges.h"

namespace {

using dictionaryformat::File;

QString quotedText(const QString &text)
{
    return u'"' + text + u'"';
}

} // namespace

int runSet(const QStringList &arguments)
{
    const QString name = QStringLiteral("set");
    QCommandLineParser parser;
    startParser(parser,
                VarnellDict::tr("Changes the fields given of entry NUMBER in place; the others "
                                "stay. Refuses what add refuses (a word that already is one "
                                "unless --force, separators or line breaks inside a field, "
                                "phrases and translations of unequal number), writing nothing."));
    const QCommandLineOption wordOption(
        QStringLiteral("word"), VarnellDict::tr("The new word."), VarnellDict::tr("WORD"));
    const QCommandLineOption translationOption(QStringLiteral("translation"),
                                               VarnellDict::tr("The new Chinese translation."),
                                               VarnellDict::tr("TEXT"));
    const QCommandLineOption tagsOption(
        QStringLiteral("tags"),
        VarnellDict::tr("The part-of-speech tags, separated by ';' (e.g. \"ko.;n.\")."),
        VarnellDict::tr("TAGS"));
    const QCommandLineOption phraseOption(
        QStringLiteral("phrase"),
        VarnellDict::tr("A phrase with the word (repeatable; replaces all phrases)."),
        VarnellDict::tr("PHRASE"));
    const QCommandLineOption phraseTranslationOption(
        QStringLiteral("phrase-translation"),
        VarnellDict::tr("The translation of the phrase in the same place (repeatable)."),
        VarnellDict::tr("TEXT"));
    const QCommandLineOption noPhrasesOption(QStringLiteral("no-phrases"),
                                             VarnellDict::tr("Remove the entry's phrases."));
    const QCommandLineOption forceOption(
        QStringLiteral("force"), VarnellDict::tr("Set the word even if it is one already."));
    parser.addOptions({wordOption,
                       translationOption,
                       tagsOption,
                       phraseOption,
                       phraseTranslationOption,
                       noPhrasesOption,
                       forceOption});
    parser.addPositionalArgument(QStringLiteral("NUMBER"), VarnellDict::tr("The entry's number."));
    if (const std::optional<int> done = parseArguments(parser, name, arguments))
        return *done;
    if (parser.positionalArguments().size() != 1)
        return usageError(name, VarnellDict::tr("set needs one entry NUMBER"));

    int status = Success;
    const std::optional<LinedUpFolder> read = openNumberedEntries(parser, &status);
    if (!read)
        return status;
    const dictionaryformat::Texts &before = read->texts;
    const int number = entryNumber(parser.positionalArguments().constFirst(), before);
    if (number == 0)
        return ProblemsFound;

    entrychanges::NewEntry entry = entrychanges::NewEntry::fromLine(before, number);
    const bool phrasesGiven = parser.isSet(phraseOption) || parser.isSet(phraseTranslationOption)
        || parser.isSet(noPhrasesOption);
    if (parser.isSet(wordOption))
        entry.word = parser.value(wordOption).trimmed();
    if (parser.isSet(translationOption))
        entry.translation = parser.value(translationOption).trimmed();
    if (parser.isSet(tagsOption))
        entry.partsOfSpeech = parser.value(tagsOption).trimmed();
    if (phrasesGiven) {
        entry.phrases.clear();
        entry.phraseTranslations.clear();
        for (const QString &phrase : parser.values(phraseOption))
            entry.phrases.append(phrase.trimmed());
        for (const QString &translation : parser.values(phraseTranslationOption))
            entry.phraseTranslations.append(translation.trimmed());
    }
    QString flaw = entrychanges::flawOf(entry);
    if (flaw.isEmpty() && (entry.word.isEmpty() || entry.translation.isEmpty()))
        flaw = VarnellDict::tr("the word and the translation must not be empty; 'remove' empties "
                               "an entry");
    if (!flaw.isEmpty()) {
        printError(flaw);
        return ProblemsFound;
    }
    // A word that repeats another line's already is the author's to mend; only a new word is
    // refused for it.
    const bool wordChanged
        = entry.word.toLower() != before.words.at(number - 1).trimmed().toLower();
    if (const int line = wordChanged ? entrychanges::lineOfWord(before, entry.word, number) : 0;
        line > 0 && !parser.isSet(forceOption)) {
        printError(VarnellDict::tr("%1 is the word of line %2 already (letter case ignored); "
                                   "--force sets it anyway")
                       .arg(quotedText(entry.word))
                       .arg(line));
        return ProblemsFound;
    }

    // Fields not given keep their line exactly as it was.
    dictionaryformat::Texts after = before;
    after.words[number - 1] = entry.word;
    after.translations[number - 1] = entry.translation;
    after.partsOfSpeech[number - 1] = entry.partsOfSpeech;
    if (phrasesGiven) {
        after.phrases[number - 1] = entry.lineOf(File::Phrases);
        after.phraseTranslations[number - 1] = entry.lineOf(File::PhraseTranslations);
    }
    return writeEntryChanges(*read, after, name + u' ' + QString::number(number));
}
