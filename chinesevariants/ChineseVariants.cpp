#include "ChineseVariants.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QStringView>

#include <Config.hpp>
#include <ConversionChain.hpp>
#include <Converter.hpp>
#include <DictGroup.hpp>
#include <Lexicon.hpp>
#include <MaxMatchSegmentation.hpp>

#include <algorithm>
#include <exception>
#include <list>
#include <string>
#include <utility>
#include <vector>

namespace chinesevariants {

namespace {

// OpenCC's configuration of traditional to simplified Chinese, found in its data folder.
const char *const conversionConfig = "t2s.json";

// One of OpenCC's tables as its keys and their first values, in UTF-8.
using Table = std::vector<std::pair<std::string, std::string>>;

Table tableOf(const opencc::Dict &dict)
{
    Table table;
    const opencc::LexiconPtr lexicon = dict.GetLexicon();
    table.reserve(lexicon->Length());
    for (const auto &entry : *lexicon)
        table.emplace_back(entry->Key(), entry->GetDefault());
    return table;
}

// The conversion's tables: the phrases the text is cut at, and the tables each piece is
// converted with, in the order they are tried.
struct Tables
{
    Table segments;
    std::vector<Table> conversion;
};

// The tables of a conversion of one step whose text is cut at the longest phrases (t2s's shape);
// false for any other shape.
bool readTables(const opencc::Converter &converter, Tables &tables)
{
    const auto segmentation
        = std::dynamic_pointer_cast<opencc::MaxMatchSegmentation>(converter.GetSegmentation());
    const std::list<opencc::ConversionPtr> steps = converter.GetConversionChain()->GetConversions();
    if (!segmentation || steps.size() != 1)
        return false;
    tables.segments = tableOf(*segmentation->GetDict());
    const opencc::DictPtr dict = steps.front()->GetDict();
    if (const auto group = std::dynamic_pointer_cast<opencc::DictGroup>(dict)) {
        for (const opencc::DictPtr &member : group->GetDicts())
            tables.conversion.push_back(tableOf(*member));
    } else {
        tables.conversion.push_back(tableOf(*dict));
    }
    return true;
}

char32_t firstCharacter(const QString &text)
{
    return text.isEmpty() ? 0 : text.toUcs4().constFirst();
}

bool allIn(const QString &text, const QSet<char32_t> &characters)
{
    const QList<uint> points = text.toUcs4();
    return std::all_of(points.cbegin(), points.cend(), [&](uint point) {
        return characters.contains(char32_t(point));
    });
}

// The filter of pageTables is exact only where no key of the conversion spans a place the text
// is cut at differently on the page: every key longer than one character must be a phrase the text
// is cut at (as in t2s, where the phrases are the conversion's first table).
bool longKeysAreSegments(const Tables &tables)
{
    QSet<QString> segments;
    for (const auto &[key, value] : tables.segments)
        segments.insert(QString::fromStdString(key));
    for (const Table &table : tables.conversion) {
        for (const auto &[key, value] : table) {
            const QString text = QString::fromStdString(key);
            if (text.toUcs4().size() > 1 && !segments.contains(text))
                return false;
        }
    }
    return true;
}

} // namespace

struct Converter::Loaded
{
    opencc::ConverterPtr converter;
};

Converter::Converter()
{
    try {
        opencc::Config config;
        opencc::ConverterPtr converter = config.NewFromFile(conversionConfig);
        m_loaded = std::make_unique<Loaded>(Loaded{std::move(converter)});
    } catch (const std::exception &error) {
        // OpenCC reports a missing or broken data file by throwing; here that is a converter that
        // converts nothing.
        m_error = QString::fromUtf8(error.what());
    }
}

Converter::~Converter() = default;

bool Converter::isLoaded() const
{
    return m_loaded != nullptr;
}

QString Converter::errorString() const
{
    return m_error;
}

QString Converter::toSimplified(const QString &text) const
{
    if (!m_loaded)
        return {};
    // OpenCC reads UTF-8 up to the first NUL, and a lone surrogate has no UTF-8.
    if (text.contains(QChar(u'\0')) || !QStringView(text).isValidUtf16())
        return text;
    try {
        return QString::fromStdString(m_loaded->converter->Convert(text.toStdString()));
    } catch (const std::exception &) {
        return text;
    }
}

QJsonObject Converter::pageTables(const QSet<char32_t> &characters) const
{
    Tables tables;
    try {
        if (!m_loaded || !readTables(*m_loaded->converter, tables))
            return {};
    } catch (const std::exception &) {
        return {};
    }
    const bool filtered = longKeysAreSegments(tables);
    // The places that matter: the characters of the translations, and those that start a key
    // whose value is made of them.
    QSet<char32_t> starts = characters;
    for (const Table &table : tables.conversion) {
        for (const auto &[key, value] : table) {
            if (allIn(QString::fromStdString(value), characters))
                starts.insert(firstCharacter(QString::fromStdString(key)));
        }
    }
    const auto matters
        = [&](const QString &key) { return !filtered || starts.contains(firstCharacter(key)); };

    QJsonArray segments;
    for (const auto &[key, value] : tables.segments) {
        const QString text = QString::fromStdString(key);
        if (matters(text))
            segments.append(text);
    }
    QJsonArray conversion;
    for (const Table &table : tables.conversion) {
        QJsonObject keys;
        for (const auto &[key, value] : table) {
            const QString text = QString::fromStdString(key);
            const QString simplified = QString::fromStdString(value);
            if (matters(text))
                keys.insert(text,
                            !filtered || allIn(simplified, characters) ? QJsonValue(simplified)
                                                                       : QJsonValue());
        }
        conversion.append(keys);
    }
    return {{QStringLiteral("segments"), segments}, {QStringLiteral("conversion"), conversion}};
}

} // namespace chinesevariants
