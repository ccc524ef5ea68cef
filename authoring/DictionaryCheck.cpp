// The rules of the check about the entries: words and translations in pairs, each word once, gap
// lines empty, known part-of-speech tags, phrases and their translations of equal number; and
// the report they make together.

#include "DictionaryCheck_p.h"

#include "VarnellDictText.h"

#include <algorithm>

namespace dictionarycheck {

namespace {

constexpr QChar fullWidthComma = u'，';
constexpr QChar fullWidthSemicolon = u'；';

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

// True when some piece between separators is empty or only blanks.
bool hasEmptyPiece(const QString &line, const QList<QChar> &separators)
{
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return false;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= trimmed.size(); ++i) {
        if (i == trimmed.size() || separators.contains(trimmed.at(i))) {
            if (QStringView(trimmed).sliced(start, i - start).trimmed().isEmpty())
                return true;
            start = i + 1;
        }
    }
    return false;
}

} // namespace

void Checker::checkWordsAndTranslations(qsizetype loadedLines)
{
    const qsizetype bothHave = qMin(lines(File::Words).size(), lines(File::Translations).size());
    QHash<QString, int> lineOfWord; // the loader's key: the word trimmed and lower-cased
    lineOfWord.reserve(bothHave);
    for (qsizetype i = 0; i < bothHave; ++i) {
        const QString word = trimmedLine(File::Words, i);
        const QString translation = trimmedLine(File::Translations, i);
        const int line = int(i + 1);
        if (word.isEmpty() && translation.isEmpty())
            continue;
        if (translation.isEmpty()) {
            report(File::Words,
                   line,
                   Severity::Warning,
                   "missing-translation",
                   VarnellDict::tr("word %1 has no translation on this line of %2")
                       .arg(quoted(word), dictionaryformat::fileName(File::Translations)));
        } else if (word.isEmpty()) {
            report(File::Translations,
                   line,
                   Severity::Warning,
                   "missing-word",
                   VarnellDict::tr("translation %1 has no word on this line of %2")
                       .arg(quoted(translation), dictionaryformat::fileName(File::Words)));
        }
        if (word.isEmpty() || i >= loadedLines)
            continue;
        int &earlier = lineOfWord[word.toLower()];
        if (earlier > 0) {
            report(File::Words,
                   line,
                   Severity::Error,
                   "duplicate-word",
                   VarnellDict::tr("%1 repeats the word of line %2 (letter case ignored): the "
                                   "record of line %2 can no longer be found by its word")
                       .arg(quoted(word))
                       .arg(earlier));
        }
        earlier = line;
    }
}

// A gap line (no word, no translation) keeps its entry number but holds no entry.
void Checker::checkGapLine(qsizetype index)
{
    for (const File file : {File::PartsOfSpeech, File::Phrases, File::PhraseTranslations}) {
        if (!trimmedLine(file, index).isEmpty()) {
            report(file,
                   int(index + 1),
                   Severity::Warning,
                   "gap-text",
                   VarnellDict::tr("text on a gap line (no word and no translation): the window "
                                   "ignores it"));
        }
    }
}

void Checker::checkTags(qsizetype index)
{
    const QString line = lines(File::PartsOfSpeech).value(index);
    const int lineNumber = int(index + 1);
    if (line.contains(fullWidthSemicolon)) {
        report(File::PartsOfSpeech,
               lineNumber,
               Severity::Warning,
               "full-width-separator",
               VarnellDict::tr("full-width '%1' where '%2' was probably meant")
                   .arg(fullWidthSemicolon, dictionaryformat::tagSeparator));
    }
    const QList<QChar> separators{dictionaryformat::tagSeparator, fullWidthSemicolon};
    if (hasEmptyPiece(line, separators)) {
        report(File::PartsOfSpeech,
               lineNumber,
               Severity::Warning,
               "empty-piece",
               VarnellDict::tr("an empty tag between separators"));
    }
    // Split at the full-width semicolon too: it was reported above as what it probably is.
    QString tags = line;
    tags.replace(fullWidthSemicolon, dictionaryformat::tagSeparator);
    for (const QString &piece : loadedPieces(tags, dictionaryformat::tagSeparator)) {
        const QString tag = piece.trimmed().toLower();
        if (tag.isEmpty() || m_knownTags.contains(tag))
            continue;
        TagUse &use = m_unknownTagLines[tag];
        if (use.lines == 0) {
            m_unknownTags.append(piece.trimmed());
            use.firstLine = lineNumber;
        }
        if (use.lastLine != lineNumber)
            ++use.lines;
        use.lastLine = lineNumber;
    }
}

// One finding per unknown tag, not one per line: a converted dictionary may use a tag of its
// own on thousands of lines.
void Checker::reportUnknownTags()
{
    for (const QString &tag : std::as_const(m_unknownTags)) {
        const TagUse use = m_unknownTagLines.value(tag.toLower());
        report(File::PartsOfSpeech,
               use.firstLine,
               Severity::Warning,
               "unknown-tag",
               VarnellDict::tr("part-of-speech tag %1 is not one of: %2 (on %3 lines, this the "
                               "first)")
                   .arg(quoted(tag), m_knownTags.join(u' '))
                   .arg(use.lines));
    }
}

// Once the files stop lining up, every later line pairs the wrong texts, so the findings about
// pairs after that line say nothing new: they are counted under the misalignment, which comes
// first as the one finding that names the cause.
void Checker::foldConsequences()
{
    const auto misaligned
        = std::find_if(m_report.findings.begin(),
                       m_report.findings.end(),
                       [](const Finding &finding) { return finding.code == u"misaligned"; });
    if (misaligned == m_report.findings.end())
        return;
    Finding cause = *misaligned;
    m_report.findings.erase(misaligned);
    const QList<QString> pairings{QStringLiteral("phrase-count"),
                                  QStringLiteral("missing-word"),
                                  QStringLiteral("missing-translation"),
                                  QStringLiteral("gap-text")};
    const auto follows = [&](const Finding &finding) {
        return finding.line >= cause.line && pairings.contains(finding.code);
    };
    cause.consequences
        = int(std::count_if(m_report.findings.begin(), m_report.findings.end(), follows));
    m_report.findings.erase(
        std::remove_if(m_report.findings.begin(), m_report.findings.end(), follows),
        m_report.findings.end());
    if (cause.consequences > 0)
        cause.message += u' '
            + VarnellDict::tr("(%1 findings about the lines after it follow from it and are not "
                              "listed)")
                  .arg(cause.consequences);
    m_report.findings.prepend(cause);
}

void Checker::checkPhrases(qsizetype index)
{
    const QChar separator = dictionaryformat::phraseSeparator;
    const QString phraseLine = lines(File::Phrases).value(index);
    const QString translationLine = lines(File::PhraseTranslations).value(index);
    const int lineNumber = int(index + 1);
    const QList<QString> phrases = loadedPieces(phraseLine, separator);
    const QList<QString> translations = loadedPieces(translationLine, separator);

    const QString fullWidthMessage
        = VarnellDict::tr("full-width '%1' where '%2' was probably meant")
              .arg(fullWidthComma, separator);
    // A conlang phrase has no use for a full-width comma; a Chinese translation may, so there it
    // is reported only when reading it as a separator would make the counts agree.
    if (phraseLine.contains(fullWidthComma))
        report(
            File::Phrases, lineNumber, Severity::Warning, "full-width-separator", fullWidthMessage);
    if (translationLine.contains(fullWidthComma) && phrases.size() != translations.size()) {
        QString separated = translationLine;
        separated.replace(fullWidthComma, separator);
        if (loadedPieces(separated, separator).size() == phrases.size())
            report(File::PhraseTranslations,
                   lineNumber,
                   Severity::Warning,
                   "full-width-separator",
                   fullWidthMessage);
    }
    for (const File file : {File::Phrases, File::PhraseTranslations}) {
        if (hasEmptyPiece(lines(file).value(index), {separator}))
            report(file,
                   lineNumber,
                   Severity::Warning,
                   "empty-piece",
                   VarnellDict::tr("an empty or blank piece between separators"));
    }

    if (phrases.size() == translations.size())
        return;
    QList<QString> dropped;
    for (qsizetype i = translations.size(); i < phrases.size(); ++i)
        dropped.append(VarnellDict::tr("phrase %1").arg(quoted(phrases.at(i))));
    for (qsizetype i = phrases.size(); i < translations.size(); ++i)
        dropped.append(VarnellDict::tr("translation %1").arg(quoted(translations.at(i))));
    report(File::Phrases,
           lineNumber,
           Severity::Error,
           "phrase-count",
           VarnellDict::tr("phrases and their translations differ in number (%1 against "
                           "%2 on this line of %3): the window drops %4")
               .arg(phrases.size())
               .arg(translations.size())
               .arg(dictionaryformat::fileName(File::PhraseTranslations),
                    dropped.join(QStringLiteral(", "))));
}

Report Checker::run()
{
    for (int i = 0; i < fileCount && !m_given; ++i)
        readFile(fileAt(i));

    // The loader reads as far as the shortest file, and nothing at all when a file is missing.
    qsizetype loadedLines = allReadable() ? lines(File::Words).size() : 0;
    for (const FileLines &file : m_files)
        loadedLines = qMin(loadedLines, file.lines.size());
    if (allReadable())
        checkLineCounts();
    checkWordsAndTranslations(loadedLines);

    const qsizetype longest = std::max_element(m_files.begin(),
                                               m_files.end(),
                                               [](const FileLines &a, const FileLines &b) {
                                                   return a.lines.size() < b.lines.size();
                                               })
                                  ->lines.size();
    for (qsizetype i = 0; i < longest; ++i) {
        const bool gap
            = trimmedLine(File::Words, i).isEmpty() && trimmedLine(File::Translations, i).isEmpty();
        if (m_onlyLines && !m_onlyLines->contains(int(i + 1))) {
            m_report.entries += !gap && i < loadedLines ? 1 : 0;
            continue;
        }
        if (gap) {
            if (i < lines(File::Words).size() && i < lines(File::Translations).size())
                checkGapLine(i);
            continue;
        }
        if (i < lines(File::PartsOfSpeech).size())
            checkTags(i);
        if (i < loadedLines) {
            checkPhrases(i);
            ++m_report.entries;
        }
    }

    reportUnknownTags();
    std::stable_sort(
        m_report.findings.begin(), m_report.findings.end(), [](const Finding &a, const Finding &b) {
            return std::pair(int(a.file), a.line) < std::pair(int(b.file), b.line);
        });
    foldConsequences();
    return m_report;
}

int Report::errors() const
{
    return int(std::count_if(findings.begin(), findings.end(), [](const Finding &finding) {
        return finding.severity == Severity::Error;
    }));
}

int Report::warnings() const
{
    return int(findings.size()) - errors();
}

QList<QString> codes()
{
    return {QStringLiteral("missing-file"),
            QStringLiteral("not-regular-file"),
            QStringLiteral("unreadable-file"),
            QStringLiteral("interrupted-write"),
            QStringLiteral("invalid-utf8"),
            QStringLiteral("carriage-return"),
            QStringLiteral("byte-order-mark"),
            QStringLiteral("mixed-line-ends"),
            QStringLiteral("line-count"),
            QStringLiteral("misaligned"),
            QStringLiteral("missing-translation"),
            QStringLiteral("missing-word"),
            QStringLiteral("duplicate-word"),
            QStringLiteral("gap-text"),
            QStringLiteral("full-width-separator"),
            QStringLiteral("empty-piece"),
            QStringLiteral("unknown-tag"),
            QStringLiteral("phrase-count")};
}

QList<QString> legendTags()
{
    return dictionaryformat::legendTags();
}

Report checkFolder(const QString &folder, const QList<QString> &knownTags)
{
    return Checker(folder, knownTags).run();
}

Report checkTexts(const dictionaryformat::Texts &texts,
                  const QList<QString> &knownTags,
                  const QSet<int> &lines)
{
    return Checker(texts, knownTags, lines).run();
}

} // namespace dictionarycheck
