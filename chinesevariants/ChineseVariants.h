#ifndef CHINESEVARIANTS_H
#define CHINESEVARIANTS_H

#include <QJsonObject>
#include <QSet>
#include <QString>

#include <memory>

namespace chinesevariants {

// Traditional Chinese characters to simplified ones, as OpenCC's t2s conversion does it (Debian's
// libopencc and its data): the text is cut at the longest of its phrases found at each place,
// then each piece is converted by the longest phrase or character it starts with.
class Converter
{
public:
    // Loads OpenCC's t2s conversion; without it (its data not installed) the converter converts
    // nothing, and errorString() says why.
    Converter();
    ~Converter();
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool isLoaded() const;
    QString errorString() const;

    // `text` in simplified characters; empty when the conversion is not loaded. A text OpenCC
    // would read otherwise than it is (a lone surrogate, a NUL) is given back as it is.
    QString toSimplified(const QString &text) const;

    // The tables the web edition converts with (web/src/chinesevariants/ChineseVariants.js), for a
    // dictionary whose translations and phrase translations hold `characters` (Unicode
    // characters): {"segments": [phrase...], "conversion": [{key: value or null}...]}, the
    // phrases the text is cut at and the conversion's tables, first one first. Empty when the
    // conversion is not loaded.
    //
    // Only what can change an answer is written. A converted text can match a translation only
    // if every character of it is one of `characters`. A key matters only at a place whose
    // character is in `characters` or starts a key whose value is all in them (the page keeps
    // every key that starts with such a character, so it makes the same choices there); at any
    // other place the text keeps or gets a character the translations lack, in both. A value
    // with such a character is written as null: the page gives up on that text, whose C++
    // conversion cannot match either.
    QJsonObject pageTables(const QSet<char32_t> &characters) const;

private:
    struct Loaded;
    std::unique_ptr<Loaded> m_loaded;
    QString m_error;
};

} // namespace chinesevariants

#endif // CHINESEVARIANTS_H
