// varnell-dict add: one new entry, as a new last line of all five files at once.

#include "Subcommands.h"

#include "DictionaryFormat.h"
#include "EntryChanges.h"

#include <QFile>
#include <QTextStream>

namespace {

using dictionaryformat::File;
using entrychanges::NewEntry;

// The file's bytes with `line` appended, ended as the file's lines are.
bool appendedBytes(const QString &path, const QString &line, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    *bytes = file.readAll();
    const qsizetype firstLineEnd = bytes->indexOf('\n');
    const QByteArray lineEnd
        = firstLineEnd > 0 && bytes->at(firstLineEnd - 1) == '\r' ? "\r\n" : "\n";
    if (!bytes->isEmpty() && !bytes->endsWith('\n'))
        *bytes += lineEnd;
    *bytes += line.toUtf8() + lineEnd;
    return true;
}

} // namespace

int runAdd(const QStringList &arguments)
{
    const QString name = QStringLiteral("add");
    QCommandLineParser parser;
    startParser(parser,
                VarnellDict::tr("Appends one entry as a new last line of all five files and "
                                "prints its number. Each file is written in full beside the old "
                                "one and then renamed into place. Refuses a word that already is "
                                "one (letter case ignored) unless --force."));
    const QCommandLineOption tagsOption(
        QStringLiteral("tags"),
        VarnellDict::tr("The part-of-speech tags, separated by ';' (e.g. \"ko.;n.\")."),
        VarnellDict::tr("TAGS"));
    const QCommandLineOption phraseOption(QStringLiteral("phrase"),
                                          VarnellDict::tr("A phrase with the word (repeatable)."),
                                          VarnellDict::tr("PHRASE"));
    const QCommandLineOption phraseTranslationOption(
        QStringLiteral("phrase-translation"),
        VarnellDict::tr("The translation of the phrase in the same place (repeatable)."),
        VarnellDict::tr("TEXT"));
    const QCommandLineOption forceOption(
        QStringLiteral("force"),
        VarnellDict::tr("Add the word even if it is one already (the earlier record can then no "
                        "longer be found by its word)."));
    parser.addOptions({tagsOption, phraseOption, phraseTranslationOption, forceOption});
    parser.addPositionalArgument(QStringLiteral("word"), VarnellDict::tr("The new word."));
    parser.addPositionalArgument(QStringLiteral("translation"),
                                 VarnellDict::tr("Its Chinese translation."));
    if (const std::optional<int> done = parseArguments(parser, name, arguments))
        return *done;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2)
        return usageError(name, VarnellDict::tr("add needs a WORD and a TRANSLATION"));

    NewEntry entry{positional.at(0).trimmed(),
                   positional.at(1).trimmed(),
                   parser.value(tagsOption).trimmed(),
                   {},
                   {}};
    for (const QString &phrase : parser.values(phraseOption))
        entry.phrases.append(phrase.trimmed());
    for (const QString &translation : parser.values(phraseTranslationOption))
        entry.phraseTranslations.append(translation.trimmed());
    // A refusal like the others (exit 1), as the help promises; a missing argument is a usage
    // error above.
    if (entry.word.isEmpty() || entry.translation.isEmpty()) {
        printError(VarnellDict::tr("the word and the translation must not be empty"));
        return ProblemsFound;
    }
    if (const QString flaw = entrychanges::flawOf(entry); !flaw.isEmpty()) {
        printError(flaw);
        return ProblemsFound;
    }

    int status = Success;
    const std::optional<LinedUpFolder> read = openLinedUp(
        parser,
        VarnellDict::tr("the files of %1 have different line counts, so a new last line would "
                        "not be one entry; '%2 check' shows why"),
        &status);
    if (!read)
        return status;
    const QString &folder = read->folder;
    const dictionaryformat::Texts &texts = read->texts;
    if (const int line = entrychanges::lineOfWord(texts, entry.word);
        line > 0 && !parser.isSet(forceOption)) {
        printError(VarnellDict::tr("%1 is the word of line %2 already (letter case ignored); "
                                   "--force adds it anyway")
                       .arg(u'"' + entry.word + u'"')
                       .arg(line));
        return ProblemsFound;
    }

    const QList<QString> paths = dictionaryformat::filePaths(folder);
    QList<QByteArray> contents(paths.size());
    QString error;
    for (int i = 0; i < dictionaryformat::fileCount; ++i) {
        if (!appendedBytes(
                paths.at(i), entry.lineOf(dictionaryformat::fileAt(i)), &contents[i], &error)) {
            printError(error);
            return UsageOrFileError;
        }
    }
    const safewrite::Change change{name + u' ' + entry.word, 1, read->readState, true};
    if (!safewrite::replaceFolderFiles(folder, paths, contents, change, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    // The entry's number is how set, remove and the table name it from now on.
    QTextStream(stdout)
        << VarnellDict::tr("added entry %1: %2").arg(texts.words.size() + 1).arg(entry.word)
        << '\n';
    return Success;
}
