#ifndef DICTIONARYGENERATOR_H
#define DICTIONARYGENERATOR_H

#include <QList>
#include <QString>
#include <QtGlobal>

// Makes large, realistic-looking dictionaries for benchmarks and randomized tests. The same
// options always give the same dictionary, on every platform: the random numbers come from a
// generator of our own, not from the standard library's distributions.
namespace dictionarygenerator {

struct GeneratedEntry
{
    QString word;
    QString translation;
    QString partOfSpeech;
    QList<QString> phrases;
    QList<QString> phraseTranslations; // element i translates phrases[i]
};

struct GeneratorOptions
{
    int entries = 1000;
    quint64 seed = 1;
    // Share of words written with a capital first letter.
    double capitalisedShare = 0.03;
    // Share of lines that repeat an earlier word, in the same or another letter case.
    double repeatedWordShare = 0.0;
    // Share of lines left blank in every file (they still count in the entry numbers).
    double blankLineShare = 0.0;
    // Share of phrases given something unusual: blanks around or doubled inside, capitals, a
    // tab, letters beyond ASCII (ä, İ, the Kelvin sign), or a long tail of words.
    double oddPhraseShare = 0.0;
};

// Words are made of syllables (consonant, vowel, sometimes a final n) and are unique unless
// repeatedWordShare asks otherwise. Phrases (0 to 4 per entry) join the entry's word with other
// words and with particles, words that begin with w or y and are never entries themselves.
// Translations are one or two senses of one to three common Chinese characters; some
// translations are shared by several entries. A blank line has every field empty.
QList<GeneratedEntry> generateDictionary(const GeneratorOptions &options);

// The particle words the generator can use in phrases; none of them is an entry word.
bool isParticle(const QString &word);

// Writes the five dictionary files into `folder` through the dictionary's one writer, one line
// per entry. Returns false, with a reason in `error`, on failure.
bool writeDictionaryFiles(const QString &folder,
                          const QList<GeneratedEntry> &entries,
                          QString *error = nullptr);

} // namespace dictionarygenerator

#endif // DICTIONARYGENERATOR_H
