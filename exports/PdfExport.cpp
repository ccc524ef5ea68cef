#include "PdfExport.h"

#include "DictionaryFormat.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <numeric>

namespace pdfbook {

namespace {

// A guide word longer than this is cut, so that two fit in the running head.
constexpr qsizetype guideWordLength = 40;
// Part-of-speech tags outside the legend listed on the legend's page, the most used first.
constexpr qsizetype otherTagsShown = 30;

QLocale rootCollationLocale()
{
    // English has no tailoring of its own: the root order. (The C locale would sort by code,
    // every capital letter before every small one.)
    return QLocale(QLocale::English, QLocale::UnitedStates);
}

QLocale pinyinLocale()
{
    return QLocale(QLocale::Chinese, QLocale::China);
}

char32_t firstCharacter(const QString &text)
{
    const QList<uint> characters = QStringView(text).left(2).toUcs4();
    return characters.isEmpty() ? 0 : characters.constFirst();
}

bool isChineseCharacter(char32_t c)
{
    return (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF)
        || (c >= 0x20000 && c <= 0x3FFFF);
}

// The first letter of a headword without its accents, in capitals: its section in part one.
QString letterSection(const QString &headword)
{
    const char32_t first = firstCharacter(headword);
    if (first == 0)
        return QString();
    const QString character = QString::fromUcs4(&first, 1);
    const QString base = character.normalized(QString::NormalizationForm_D);
    return (base.front().isLetter() ? base.left(1) : character).toUpper();
}

// Part two's sections: a headword that begins with a Chinese character goes under the initial of
// its pinyin, any other under its first letter. The collation marks where each initial's group
// begins with U+FDD0 and the letter; no syllable begins with i, u or v.
class PinyinSections
{
public:
    explicit PinyinSections(const QCollator &pinyin)
    {
        for (const QChar initial : initials())
            m_starts.append(pinyin.sortKey(QChar(0xFDD0) + QString(initial)));
    }

    QString of(const QString &headword, const QCollatorSortKey &key) const
    {
        if (!isChineseCharacter(firstCharacter(headword)))
            return letterSection(headword);
        const auto after = std::upper_bound(
            m_starts.cbegin(), m_starts.cend(), key, [](const auto &a, const auto &b) {
                return a.compare(b) < 0;
            });
        return after == m_starts.cbegin() ? letterSection(headword)
                                          : QString(initials().at(after - m_starts.cbegin() - 1));
    }

private:
    static QString initials() { return QStringLiteral("ABCDEFGHJKLMNOPQRSTWXYZ"); }

    QList<QCollatorSortKey> m_starts;
};

// The order of `count` items by their collation keys, ties by `less`.
template<typename Less> QList<qsizetype> orderByKeys(const QList<QCollatorSortKey> &keys, Less less)
{
    QList<qsizetype> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int byKey = keys.at(a).compare(keys.at(b));
        return byKey != 0 ? byKey < 0 : less(a, b);
    });
    return order;
}

QString guideWord(const QString &headword)
{
    if (headword.size() <= guideWordLength)
        return headword;
    const qsizetype cut = headword.at(guideWordLength - 1).isHighSurrogate() ? guideWordLength - 1
                                                                             : guideWordLength;
    return headword.left(cut) + u'…';
}

// `text` escaped, as the braced argument of a command.
void addArgument(QString &source, const QString &text)
{
    source += u'{';
    source += escapedText(text);
    source += u'}';
}

QLatin1String paperGeometry(Paper paper)
{
    switch (paper) {
    case Paper::A5:
        return QLatin1String("a5paper,top=17mm,bottom=15mm,left=12mm,right=12mm");
    case Paper::Letter:
        return QLatin1String("letterpaper,top=20mm,bottom=18mm,left=16mm,right=16mm");
    case Paper::A4:
        break;
    }
    return QLatin1String("a4paper,top=20mm,bottom=18mm,left=16mm,right=16mm");
}

// The fixed part of every book; %1 is the paper and its margins.
const char *preamble = R"(\documentclass[10pt]{article}
\usepackage[%1,headheight=12pt,headsep=4mm,footskip=8mm]{geometry}
\usepackage{multicol}
\makeatletter
% Fonts are switched with the engine's own \font: LaTeX's font selection would cost more than the
% typesetting itself in a book of 50,000 entries. Each size has a Latin and a Chinese set; the
% dictionary's texts come with their Chinese runs in \C{...}, set in the Chinese font of the style.
\def\vn@fonts#1#2{%
  \expandafter\font\csname vn@#1@rm\endcsname="[lmroman10-regular.otf]:-liga" at #2\relax
  \expandafter\font\csname vn@#1@bf\endcsname="[lmroman10-bold.otf]:-liga" at #2\relax
  \expandafter\font\csname vn@#1@it\endcsname="[lmroman10-italic.otf]:-liga" at #2\relax
  \expandafter\font\csname vn@#1@crm\endcsname="Noto Serif CJK SC:-liga" at #2\relax
  \expandafter\font\csname vn@#1@cbf\endcsname="Noto Serif CJK SC/B:-liga" at #2\relax
  \expandafter\font\csname vn@#1@cit\endcsname="Noto Serif CJK SC:-liga;slant=0.2" at #2\relax}
\def\vn@use#1#2{\csname vn@#1@#2\endcsname
  \expandafter\let\expandafter\vn@cjk\csname vn@#1@c#2\endcsname}
\vn@fonts{body}{9pt}\vn@fonts{section}{12pt}\vn@fonts{part}{17pt}\vn@fonts{title}{24pt}
\def\Rm{\vn@body@rm\let\vn@cjk\vn@body@crm}
\def\Bf{\vn@body@bf\let\vn@cjk\vn@body@cbf}
\def\It{\vn@body@it\let\vn@cjk\vn@body@cit}
\def\C#1{{\vn@cjk#1}}
% Where a long word may break.
\def\Z{\penalty0 }
\def\ps@dictionary{%
  \def\@oddhead{\Bf\firstmark\hfil\botmark\llap{\rule[-3pt]{\textwidth}{0.4pt}}}%
  \let\@evenhead\@oddhead
  \def\@oddfoot{\hfil\Rm\thepage\hfil}\let\@evenfoot\@oddfoot}
\def\ps@plain{\let\@oddhead\@empty\let\@evenhead\@empty
  \def\@oddfoot{\hfil\Rm\thepage\hfil}\let\@evenfoot\@oddfoot}
\def\vn@ifnotempty#1#2{\if\relax\detokenize{#1}\relax\else#2\fi}
% The dictionary's texts reach these commands escaped: \Entry{guide word}{word}{part of
% speech}{translation}, \Phrase{phrase}{translation}, \Chinese{guide word}{headword},
% \Word{word}{part of speech}, \PieceWord{word}{part of speech}{whole translation}. Each headword
% sets a mark; the running head shows the first and the last mark of its page (multicol keeps
% them right over both columns).
\def\Entry#1#2#3#4{\par\hangindent=1em\hangafter=1\noindent\mark{\unexpanded{#1}}%
  {\Bf#2}\vn@ifnotempty{#3}{ {\It#3}} #4}
\def\Phrase#1#2{ \textbullet\ {\Bf#1} #2}
\def\Chinese#1#2{\par\hangindent=1em\hangafter=1\noindent\mark{\unexpanded{#1}}{\Bf#2} }
\def\Word#1#2{{\Bf#1}\vn@ifnotempty{#2}{ {\It#2}}}
\def\PieceWord#1#2#3{\Word{#1}{#2} (#3)}
\def\Next{; }
\def\Section#1{\par\addvspace{6pt}{\centering\vn@use{section}{bf}\baselineskip=15pt #1\par}%
  \nopagebreak\vspace{2pt}\nopagebreak}
\def\Part#1{\clearpage{\centering\vn@use{part}{bf}\baselineskip=21pt #1\par}\vspace{6mm}}
\def\Title#1{{\centering\vn@use{title}{bf}\baselineskip=30pt #1\par}}
\def\Subtitle#1{{\centering\vn@use{section}{rm}\baselineskip=16pt #1\par}}
\makeatother
% Line breaks between Chinese characters; none inside a word of Latin letters, whose language
% the engine cannot know.
\XeTeXlinebreaklocale "zh"
\XeTeXlinebreakskip=0pt plus 1pt
\hyphenpenalty=10000 \exhyphenpenalty=10000
\tracinglostchars=1
\parindent=0pt \parskip=0pt plus 1pt
\emergencystretch=3em
\columnsep=5mm
\raggedright
\pagestyle{dictionary}
\begin{document}
\Rm\baselineskip=11pt
)";

void addTitlePage(QString &source, qsizetype entries, const BookOptions &options)
{
    source += QStringLiteral("\\thispagestyle{empty}\\vspace*{0.3\\textheight}\\Title");
    addArgument(source, options.title);
    source += QStringLiteral("\\vspace{12mm}\\Subtitle");
    addArgument(source, QStringLiteral("共 %1 个词条").arg(entries));
    if (options.filesDate.isValid()) {
        source += QStringLiteral("\\vspace{3mm}\\Subtitle");
        addArgument(source,
                    QStringLiteral("词典文件日期：")
                        + options.filesDate.date().toString(Qt::ISODate));
    }
    source += QStringLiteral("\\clearpage\n");
}

// The legend's tags with their meanings and how many entries carry each, then the tags outside
// the legend that the dictionary uses.
void addLegend(QString &source, const QList<DictionaryEntry> &entries)
{
    QHash<QString, int> counts;
    QList<QString> others; // in the order of their first entry
    const QList<QString> legend = dictionaryformat::legendTags();
    for (const DictionaryEntry &entry : entries) {
        for (const QString &tag : dictionaryformat::partOfSpeechTags(entry.partOfSpeech)) {
            const QString key = tag.toLower();
            if (counts[key]++ == 0 && !legend.contains(key))
                others.append(key);
        }
    }
    std::stable_sort(others.begin(), others.end(), [&](const QString &a, const QString &b) {
        return counts.value(a) > counts.value(b);
    });
    source += QStringLiteral("\\thispagestyle{plain}\\Part");
    addArgument(source, QStringLiteral("词性"));
    source += QStringLiteral("\\begin{center}\\begin{tabular}{llr}\n");
    const auto addRow = [&](const QString &tag, const QString &meaning) {
        source += QStringLiteral("{\\It ");
        source += escapedText(tag);
        source += QStringLiteral("} & ");
        source += escapedText(meaning);
        source += QStringLiteral(" & ");
        source += escapedText(QStringLiteral("%1 条").arg(counts.value(tag)));
        source += QStringLiteral("\\\\\n");
    };
    for (const QString &tag : legend)
        addRow(tag, dictionaryformat::legendMeaning(tag));
    for (qsizetype i = 0; i < std::min(otherTagsShown, others.size()); ++i)
        addRow(others.at(i), QString());
    if (others.size() > otherTagsShown) {
        source += QStringLiteral("\\multicolumn{3}{l}");
        addArgument(source, QStringLiteral("另有 %1 种词性").arg(others.size() - otherTagsShown));
        source += QStringLiteral("\\\\\n");
    }
    source += QStringLiteral("\\end{tabular}\\end{center}\n");
}

// A part of the book: its heading, then its headwords in columns.
class PartWriter
{
public:
    PartWriter(QString &source, const QString &heading, int columns)
        : m_source(source)
        , m_columns(columns)
    {
        m_source += QStringLiteral("\\Part");
        addArgument(m_source, heading);
        m_source += u'\n';
        if (m_columns > 1)
            m_source += QStringLiteral("\\begin{multicols}{%1}\n").arg(m_columns);
    }

    ~PartWriter()
    {
        if (m_columns > 1)
            m_source += QStringLiteral("\\end{multicols}\n");
    }

    PartWriter(const PartWriter &) = delete;
    PartWriter &operator=(const PartWriter &) = delete;

    // A heading when the section changes.
    void startSection(const QString &section)
    {
        if (section == m_section)
            return;
        m_section = section;
        m_source += QStringLiteral("\\Section");
        addArgument(m_source, section);
        m_source += u'\n';
    }

    // `command`{guide word}{headword}: the start of a headword's paragraph.
    void startHeadword(QLatin1String command, const QString &headword)
    {
        m_source += command;
        addArgument(m_source, guideWord(headword));
        addArgument(m_source, headword);
    }

private:
    QString &m_source;
    int m_columns;
    QString m_section;
};

void addWordPart(QString &source, const QList<DictionaryEntry> &byWord, int columns)
{
    PartWriter part(source, QStringLiteral("禾岚 → 中文"), columns);
    for (const DictionaryEntry &entry : byWord) {
        part.startSection(letterSection(entry.word));
        part.startHeadword(QLatin1String("\\Entry"), entry.word);
        addArgument(source, entry.partOfSpeech);
        addArgument(source, entry.translation);
        for (qsizetype i = 0; i < entry.phrases.size(); ++i) {
            source += QStringLiteral("\\Phrase");
            addArgument(source, entry.phrases.at(i));
            addArgument(source, entry.phraseTranslations.value(i));
        }
        source += u'\n';
    }
}

void addChinesePart(QString &source,
                    const exports::ExportedEntries &exported,
                    const ConlangDictionary &dictionary,
                    int columns)
{
    PartWriter part(source, QStringLiteral("中文 → 禾岚"), columns);
    const QCollator pinyin(pinyinLocale());
    const PinyinSections sections(pinyin);
    for (const ChineseHeadword &headword : chineseHeadwords(exported, dictionary)) {
        part.startSection(sections.of(headword.text, pinyin.sortKey(headword.text)));
        part.startHeadword(QLatin1String("\\Chinese"), headword.text);
        bool first = true;
        const auto addWord = [&](qsizetype at, bool asPiece) {
            const DictionaryEntry &entry = exported.entries.at(at);
            source += first ? QString() : QStringLiteral("\\Next");
            source += asPiece ? QStringLiteral("\\PieceWord") : QStringLiteral("\\Word");
            addArgument(source, entry.word);
            addArgument(source, entry.partOfSpeech);
            if (asPiece)
                addArgument(source, entry.translation);
            first = false;
        };
        for (const qsizetype at : headword.wholeTranslation)
            addWord(at, false);
        for (const qsizetype at : headword.piece)
            addWord(at, true);
        source += u'\n';
    }
}

} // namespace

std::optional<Paper> paperNamed(const QString &name)
{
    const QString lower = name.toLower();
    if (lower == QLatin1String("a4"))
        return Paper::A4;
    if (lower == QLatin1String("a5"))
        return Paper::A5;
    if (lower == QLatin1String("letter"))
        return Paper::Letter;
    return std::nullopt;
}

QList<DictionaryEntry> entriesByWord(const QList<DictionaryEntry> &entries)
{
    const QCollator collator(rootCollationLocale());
    QList<QCollatorSortKey> folded;
    QList<QCollatorSortKey> asWritten;
    folded.reserve(entries.size());
    asWritten.reserve(entries.size());
    for (const DictionaryEntry &entry : entries) {
        folded.append(collator.sortKey(entry.word.toCaseFolded()));
        asWritten.append(collator.sortKey(entry.word));
    }
    const QList<qsizetype> order = orderByKeys(folded, [&](qsizetype a, qsizetype b) {
        const int byWord = asWritten.at(a).compare(asWritten.at(b));
        if (byWord != 0)
            return byWord < 0;
        const int byCode = entries.at(a).word.compare(entries.at(b).word);
        return byCode != 0 ? byCode < 0 : entries.at(a).number < entries.at(b).number;
    });
    QList<DictionaryEntry> sorted;
    sorted.reserve(entries.size());
    for (const qsizetype i : order)
        sorted.append(entries.at(i));
    return sorted;
}

QList<ChineseHeadword> chineseHeadwords(const exports::ExportedEntries &exported,
                                        const ConlangDictionary &dictionary)
{
    QList<ChineseHeadword> headwords;
    QHash<QString, qsizetype> headwordAt;
    const auto headwordOf = [&](const QString &text) -> ChineseHeadword & {
        auto found = headwordAt.constFind(text);
        if (found == headwordAt.cend()) {
            found = headwordAt.insert(text, headwords.size());
            headwords.append({text, {}, {}});
        }
        return headwords[found.value()];
    };
    QHash<QString, QList<QString>> piecesOf;
    for (qsizetype i = 0; i < exported.entries.size(); ++i) {
        const QString &translation = exported.entries.at(i).translation;
        headwordOf(translation).wholeTranslation.append(i);
        auto pieces = piecesOf.constFind(translation);
        if (pieces == piecesOf.cend())
            pieces
                = piecesOf.insert(translation, exports::translationPieces(translation, dictionary));
        for (const QString &piece : pieces.value())
            headwordOf(piece).piece.append(i);
    }
    const QCollator pinyin(pinyinLocale());
    QList<QCollatorSortKey> keys;
    keys.reserve(headwords.size());
    for (const ChineseHeadword &headword : headwords)
        keys.append(pinyin.sortKey(headword.text));
    const QList<qsizetype> order = orderByKeys(keys, [&](qsizetype a, qsizetype b) {
        return headwords.at(a).text < headwords.at(b).text;
    });
    QList<ChineseHeadword> sorted;
    sorted.reserve(headwords.size());
    for (const qsizetype i : order)
        sorted.append(headwords.at(i));
    return sorted;
}

QByteArray bookSource(const exports::ExportedEntries &exported,
                      const ConlangDictionary &dictionary,
                      const BookOptions &options)
{
    QString source = QString::fromUtf8(preamble).arg(paperGeometry(options.paper));
    addTitlePage(source, exported.entries.size(), options);
    addLegend(source, exported.entries);
    addWordPart(source, entriesByWord(exported.entries), options.columns);
    addChinesePart(source, exported, dictionary, options.columns);
    source += QStringLiteral("\\end{document}\n");
    return withShortLines(source).toUtf8();
}

} // namespace pdfbook
