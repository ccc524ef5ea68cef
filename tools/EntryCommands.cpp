// varnell-dict set, remove, undo and history: edits in place of one or more entries, and taking a
// write back.

#include "Subcommands.h"

#include "DictionaryFormat.h"
#include "EntryChanges.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {

using dictionaryformat::File;

// The folder's lines, once any interrupted write is mended and if the files line up.
std::optional<LinedUpFolder> openLinedUp(const QCommandLineParser &parser, int *status)
{
    return openLinedUp(parser,
                       VarnellDict::tr("the files of %1 have different line counts, so a line "
                                       "number is not one entry; '%2 check' shows why"),
                       status);
}

// An entry number of `texts` given on the command line; 0 (after saying why) when it is none.
int entryNumber(const QString &given, const dictionaryformat::Texts &texts)
{
    bool isNumber = false;
    const int number = given.trimmed().toInt(&isNumber);
    if (isNumber && number >= 1 && number <= texts.words.size())
        return number;
    printError(VarnellDict::tr("'%1' is not an entry number from 1 to %2")
                   .arg(given)
                   .arg(texts.words.size()));
    return 0;
}

int writeTexts(const LinedUpFolder &read,
               const dictionaryformat::Texts &after,
               const QString &command)
{
    const entrychanges::Summary summary = entrychanges::compare(read.texts, after);
    QString error;
    if (!dictionaryformat::writeFolder(
            read.folder, after, {command, summary.touched(), read.readState}, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    return Success;
}

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
    const std::optional<LinedUpFolder> read = openLinedUp(parser, &status);
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
    if (const int line = entrychanges::lineOfWord(before, entry.word, number);
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
    return writeTexts(*read, after, name + u' ' + QString::number(number));
}

int runRemove(const QStringList &arguments)
{
    const QString name = QStringLiteral("remove");
    QCommandLineParser parser;
    startParser(parser,
                VarnellDict::tr("Empties the lines of the entries NUMBER in all five files, so "
                                "that every later entry keeps its number."));
    parser.addPositionalArgument(QStringLiteral("NUMBER"),
                                 VarnellDict::tr("An entry's number."),
                                 QStringLiteral("NUMBER..."));
    if (const std::optional<int> done = parseArguments(parser, name, arguments))
        return *done;
    if (parser.positionalArguments().isEmpty())
        return usageError(name, VarnellDict::tr("remove needs one entry NUMBER or more"));

    int status = Success;
    const std::optional<LinedUpFolder> read = openLinedUp(parser, &status);
    if (!read)
        return status;
    const dictionaryformat::Texts &before = read->texts;
    dictionaryformat::Texts after = before;
    for (const QString &given : parser.positionalArguments()) {
        const int number = entryNumber(given, before);
        if (number == 0)
            return ProblemsFound;
        for (int i = 0; i < dictionaryformat::fileCount; ++i)
            after[dictionaryformat::fileAt(i)][number - 1].clear();
    }
    return writeTexts(*read, after, name + u' ' + parser.positionalArguments().join(u' '));
}

int runUndo(const QStringList &arguments)
{
    const QString name = QStringLiteral("undo");
    QCommandLineParser parser;
    startParser(parser,
                VarnellDict::tr("Restores the five files, byte for byte, as they were before the "
                                "last write (or before write NUMBER of 'history'). The undo is a "
                                "write itself and kept in the history, so a second undo takes it "
                                "back."));
    parser.addPositionalArgument(QStringLiteral("NUMBER"),
                                 VarnellDict::tr("The write to take back (default: the last)."),
                                 QStringLiteral("[NUMBER]"));
    if (const std::optional<int> done = parseArguments(parser, name, arguments))
        return *done;
    if (parser.positionalArguments().size() > 1)
        return usageError(name, VarnellDict::tr("undo takes at most one NUMBER"));
    const std::optional<QString> folder = openFolder(parser);
    if (!folder)
        return UsageOrFileError;

    const QByteArray readState = safewrite::stateOf(dictionaryformat::filePaths(*folder));
    const QList<safewrite::Snapshot> history = safewrite::history(*folder);
    if (history.isEmpty()) {
        printError(VarnellDict::tr("%1 keeps no earlier write to restore").arg(*folder));
        return ProblemsFound;
    }
    safewrite::Snapshot snapshot = history.constLast();
    if (!parser.positionalArguments().isEmpty()) {
        const int wanted = parser.positionalArguments().constFirst().toInt();
        const auto found = std::find_if(history.begin(), history.end(), [&](const auto &kept) {
            return kept.number == wanted;
        });
        if (found == history.end()) {
            printError(VarnellDict::tr("no write %1 is kept; '%2 history' lists them")
                           .arg(parser.positionalArguments().constFirst(),
                                QCoreApplication::applicationName()));
            return ProblemsFound;
        }
        snapshot = *found;
    }
    if (!snapshot.intact) {
        printError(VarnellDict::tr("the files kept from before write %1 were changed since (by a "
                                   "program that writes files in place), so they are not restored")
                       .arg(snapshot.number));
        return ProblemsFound;
    }

    QList<QByteArray> contents;
    for (const QString &path : dictionaryformat::filePaths(snapshot.folder)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            printError(path + QStringLiteral(": ") + file.errorString());
            return UsageOrFileError;
        }
        contents.append(file.readAll());
    }
    dictionaryformat::Texts then;
    QString error;
    const qsizetype changed = dictionaryformat::readFolder(snapshot.folder, &then, &error)
        ? entrychanges::compareWithFolder(*folder, then).touched()
        : 0;
    const safewrite::Change change{
        name + u' ' + QString::number(snapshot.number), changed, readState};
    if (!safewrite::replaceFolderFiles(
            *folder, dictionaryformat::filePaths(*folder), contents, change, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    QTextStream(stdout) << VarnellDict::tr("restored the files as they were before write %1 (%2)")
                               .arg(snapshot.number)
                               .arg(snapshot.change.command)
                        << '\n';
    return Success;
}

int runHistory(const QStringList &arguments)
{
    const QString name = QStringLiteral("history");
    QCommandLineParser parser;
    startParser(parser,
                VarnellDict::tr("Lists the kept writes, oldest first: number, time (UTC), "
                                "command, entries changed. 'undo NUMBER' restores the files as "
                                "they were before one."));
    if (const std::optional<int> done = parseArguments(parser, name, arguments))
        return *done;
    const std::optional<QString> folder = openFolder(parser);
    if (!folder)
        return UsageOrFileError;
    QTextStream out(stdout);
    for (const safewrite::Snapshot &snapshot : safewrite::history(*folder)) {
        out << snapshot.number << "  " << snapshot.time.toString(Qt::ISODate) << "  "
            << snapshot.change.command << "  "
            << VarnellDict::tr("entries changed: %1").arg(snapshot.change.entriesChanged)
            << (snapshot.intact ? QString()
                                : QStringLiteral("  ") + VarnellDict::tr("(changed since)"))
            << '\n';
    }
    return Success;
}
