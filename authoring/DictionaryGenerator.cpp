#include "DictionaryGenerator.h"

#include "DictionaryFormat.h"

#include <QSet>
#include <QStringList>

namespace dictionarygenerator {

namespace {

// splitmix64: tiny, fast and fully specified, so every platform draws the same numbers.
class Random
{
public:
    explicit Random(quint64 seed)
        : m_state(seed)
    {
    }

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // 0 <= result < bound
    int below(int bound) { return int(next() % quint64(bound)); }

    // true with the given probability
    bool chance(double probability) { return double(next() >> 11) * 0x1.0p-53 < probability; }

    template<typename T> const T &pick(const QList<T> &list)
    {
        return list.at(below(int(list.size())));
    }

private:
    quint64 m_state;
};

const QString consonants = QStringLiteral("ktpsmnlrhvfz");
const QString vowels = QStringLiteral("aeiou");
const QString particleInitials = QStringLiteral("wy");

// Common characters from which translations are built.
const QString chineseCharacters = QStringLiteral(
    "人山水火木金土日月星风雨雪云天地花草树叶石河海湖田家门车船鸟鱼马牛羊犬虫米饭茶酒衣书纸笔"
    "刀弓心手口目耳足头身血骨声光色红白黑青黄大小高低长短新老好坏美远近快慢冷热多少上下前后左右"
    "来去走跑飞看听说吃喝睡想爱笑哭唱打开关生死学教写读买卖住行坐立");

// The legend's tags only, so that check finds nothing to say about them; nine lines as before, so
// that every other field of a seed's dictionary stays as it was.
const QList<QString> &partsOfSpeech()
{
    static const QList<QString> lines = [] {
        QList<QString> tags = dictionaryformat::legendTags();
        tags.append(tags.at(0) + dictionaryformat::tagSeparator + tags.constLast());
        tags.append(tags.at(4) + dictionaryformat::tagSeparator + tags.at(5));
        return tags;
    }();
    return lines;
}

QString syllable(Random &random, const QString &initials)
{
    QString text;
    text += initials.at(random.below(int(initials.size())));
    text += vowels.at(random.below(int(vowels.size())));
    if (random.chance(0.15))
        text += u'n';
    return text;
}

QString newWord(Random &random)
{
    const int draw = random.below(100);
    const int syllables = draw < 15 ? 1 : (draw < 70 ? 2 : 3);
    QString word;
    for (int i = 0; i < syllables; ++i)
        word += syllable(random, consonants);
    return word;
}

QString newParticle(Random &random)
{
    QString particle = syllable(random, particleInitials);
    const int more = 1 + random.below(2);
    for (int i = 0; i < more; ++i)
        particle += syllable(random, consonants);
    return particle;
}

QString chineseSense(Random &random, int minLength, int maxLength)
{
    const int length = minLength + random.below(maxLength - minLength + 1);
    QString sense;
    for (int i = 0; i < length; ++i)
        sense += chineseCharacters.at(random.below(int(chineseCharacters.size())));
    return sense;
}

QString newTranslation(Random &random)
{
    QString translation = chineseSense(random, 1, 3);
    if (random.chance(0.3)) {
        // One draw per statement: the order of operands in an expression is unspecified.
        translation += random.chance(0.5) ? QStringLiteral("；") : QStringLiteral("，");
        translation += chineseSense(random, 1, 3);
    }
    return translation;
}

QString capitalised(const QString &word)
{
    return word.isEmpty() ? word : word.left(1).toUpper() + word.mid(1);
}

QString oddPhrase(const QString &phrase, Random &random)
{
    switch (random.below(8)) {
    case 0:
        return u' ' + phrase;
    case 1:
        return phrase + u' ';
    case 2:
        return QString(phrase).replace(u' ', QStringLiteral("  "));
    case 3:
        return phrase.toUpper();
    case 4:
        return QString(phrase).replace(u' ', u'\t');
    case 5:
        return QStringLiteral("\u00E4r\u00F6 ") + phrase;
    case 6:
        return QString(phrase).replace(u'k', u'\u212A').replace(u'i', u'\u0130');
    default:
        return phrase
            + QStringLiteral(" la mo ni pa su te vo ra ke li no ma").left(8 + random.below(30));
    }
}

class Generator
{
public:
    explicit Generator(const GeneratorOptions &options)
        : m_options(options)
        , m_random(options.seed)
    {
        const int particleCount = qMax(50, options.entries / 20);
        QSet<QString> seen;
        while (m_particles.size() < particleCount) {
            const QString particle = newParticle(m_random);
            if (!seen.contains(particle)) {
                seen.insert(particle);
                m_particles.append(particle);
            }
        }
    }

    QList<GeneratedEntry> run()
    {
        QList<GeneratedEntry> entries;
        entries.reserve(m_options.entries);
        for (int i = 0; i < m_options.entries; ++i)
            entries.append(nextEntry());
        return entries;
    }

private:
    GeneratedEntry nextEntry()
    {
        if (m_random.chance(m_options.blankLineShare))
            return {};
        GeneratedEntry entry;
        entry.word = nextWord();
        entry.translation = (!m_translations.isEmpty() && m_random.chance(0.05))
            ? m_random.pick(m_translations)
            : newTranslation(m_random);
        m_translations.append(entry.translation);
        entry.partOfSpeech = m_random.pick(partsOfSpeech());
        // Phrase translations build on the first sense of the entry's translation.
        const QString firstSense
            = entry.translation.section(QChar(u'；'), 0, 0).section(QChar(u'，'), 0, 0);
        const int phraseCount = m_random.below(5);
        for (int i = 0; i < phraseCount; ++i) {
            QString phrase = phraseWith(entry.word.toLower());
            if (m_random.chance(0.05))
                phrase = capitalised(phrase);
            if (m_random.chance(m_options.oddPhraseShare))
                phrase = oddPhrase(phrase, m_random);
            entry.phrases.append(phrase);
            QString translation = chineseSense(m_random, 1, 2);
            translation += firstSense.left(2);
            translation += chineseSense(m_random, 0, 2);
            entry.phraseTranslations.append(translation);
        }
        return entry;
    }

    QString nextWord()
    {
        if (!m_words.isEmpty() && m_random.chance(m_options.repeatedWordShare)) {
            const QString earlier = m_random.pick(m_words);
            return m_random.chance(0.5) ? earlier : capitalised(earlier.toLower());
        }
        QString word;
        do {
            word = newWord(m_random);
        } while (m_wordKeys.contains(word));
        m_wordKeys.insert(word);
        if (m_random.chance(m_options.capitalisedShare))
            word = capitalised(word);
        m_words.append(word);
        return word;
    }

    // The entry's word with one or two companions (earlier words or particles), in any order.
    QString phraseWith(const QString &wordKey)
    {
        QStringList pieces{wordKey};
        const int companions = 1 + m_random.below(2);
        for (int i = 0; i < companions; ++i) {
            const bool useWord = !m_words.isEmpty() && m_random.chance(0.6);
            const QString companion
                = useWord ? m_random.pick(m_words).toLower() : m_random.pick(m_particles);
            pieces.insert(m_random.below(int(pieces.size()) + 1), companion);
        }
        return pieces.join(u' ');
    }

    GeneratorOptions m_options;
    Random m_random;
    QList<QString> m_particles;
    QList<QString> m_words;
    QSet<QString> m_wordKeys;
    QList<QString> m_translations;
};

} // namespace

QList<GeneratedEntry> generateDictionary(const GeneratorOptions &options)
{
    return Generator(options).run();
}

bool isParticle(const QString &word)
{
    return !word.isEmpty() && particleInitials.contains(word.at(0).toLower());
}

bool writeDictionaryFiles(const QString &folder,
                          const QList<GeneratedEntry> &entries,
                          QString *error)
{
    dictionaryformat::Texts texts;
    for (const GeneratedEntry &entry : entries) {
        texts.words.append(entry.word);
        texts.translations.append(entry.translation);
        texts.partsOfSpeech.append(entry.partOfSpeech);
        texts.phrases.append(entry.phrases.join(dictionaryformat::phraseSeparator));
        texts.phraseTranslations.append(
            entry.phraseTranslations.join(dictionaryformat::phraseSeparator));
    }
    QString ignored;
    return dictionaryformat::writeFolder(folder, texts, error ? error : &ignored);
}

} // namespace dictionarygenerator
