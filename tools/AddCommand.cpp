// varnell-dict add: one new entry, as a new last line of all five files at once.

#include "Subcommands.h"

#include "DictionaryFormat.h"

#include <QFile>
#include <QTextStream>

namespace {

using dictionaryformat::File;

struct NewEntry
{
    QString word;
    QString translation;
    QString partsOfSpeech;
    QList<QString> phrases;
    QList<QString> phraseTranslations;

    // The entry's line in `file`; the format's Texts knows which file holds what.
    QString lineOf(File file) const
    {
        const dictionaryformat::Texts lines{
            {word},
            {translation},
            {partsOfSpeech},
            {phrases.join(dictionaryformat::phraseSeparator)},
            {phraseTranslations.join(dictionaryformat::phraseSeparator)}};
        return lines[file].constFirst();
    }
};

// Why the entry cannot be written as given, or an empty text.
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

// The line (1-based) whose word is `word`, letter case ignored as the dictionary keys words; 0
// if there is none.
int lineOfWord(const dictionaryformat::Texts &texts, const QString &word)
{
    const QString key = word.toLower();
    for (qsizetype i = 0; i < texts.words.size(); ++i) {
        const QString existing = texts.words.at(i).trimmed();
        if (!existing.isEmpty() && existing.toLower() == key)
            return int(i + 1);
    }
    return 0;
}

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
                VarnellDict::tr("Appends one entry as a new last line of all five files. Each "
                                "file is written in full beside the old one and then renamed "
                                "into place. Refuses a word that already is one (letter case "
                                "ignored) unless --force."));
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
    if (entry.word.isEmpty() || entry.translation.isEmpty())
        return usageError(name, VarnellDict::tr("the word and the translation must not be empty"));
    if (const QString flaw = flawOf(entry); !flaw.isEmpty()) {
        printError(flaw);
        return ProblemsFound;
    }

    const QString folder = textsFolder(parser);
    dictionaryformat::Texts texts;
    QString error;
    if (!dictionaryformat::readFolder(folder, &texts, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    for (int i = 1; i < dictionaryformat::fileCount; ++i) {
        if (texts[dictionaryformat::fileAt(i)].size() != texts.words.size()) {
            printError(VarnellDict::tr("the files of %1 have different line counts, so a new "
                                       "last line would not be one entry; '%2 check' shows why")
                           .arg(folder, QCoreApplication::applicationName()));
            return ProblemsFound;
        }
    }
    if (const int line = lineOfWord(texts, entry.word); line > 0 && !parser.isSet(forceOption)) {
        printError(VarnellDict::tr("%1 is the word of line %2 already (letter case ignored); "
                                   "--force adds it anyway")
                       .arg(u'"' + entry.word + u'"')
                       .arg(line));
        return ProblemsFound;
    }

    const QList<QString> paths = dictionaryformat::filePaths(folder);
    QList<QByteArray> contents(paths.size());
    for (int i = 0; i < dictionaryformat::fileCount; ++i) {
        if (!appendedBytes(
                paths.at(i), entry.lineOf(dictionaryformat::fileAt(i)), &contents[i], &error)) {
            printError(error);
            return UsageOrFileError;
        }
    }
    if (!dictionaryformat::replaceFiles(paths, contents, &error)) {
        printError(error);
        return UsageOrFileError;
    }
    return Success;
}
