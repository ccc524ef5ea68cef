#include "ChineseVariants.h"

#include <QJsonArray>
#include <QtTest>

class TestChineseVariants : public QObject
{
    Q_OBJECT

private slots:
    void convertsToSimplified_data();
    void convertsToSimplified();
    void writesThePageWhatCanMatter_data();
    void writesThePageWhatCanMatter();
};

void TestChineseVariants::convertsToSimplified_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("characters") << "飛行"
                                << "飞行";
    QTest::newRow("a phrase, not its characters") << "計畫"
                                                  << "计划";
    QTest::newRow("the first of a character's simplified forms") << "乾燥"
                                                                 << "干燥";
    QTest::newRow("a phrase that keeps a character") << "乾隆"
                                                     << "乾隆";
    QTest::newRow("simplified already") << "我爱你"
                                        << "我爱你";
    QTest::newRow("other scripts kept") << "kata 飛 Σ"
                                        << "kata 飞 Σ";
    QTest::newRow("a lone surrogate: kept as it is")
        << QString(QChar(0xD800)) + "飛" << QString(QChar(0xD800)) + "飛";
    const QString withNul = QStringLiteral("飛") + QChar(u'\0') + QStringLiteral("飛");
    QTest::newRow("a NUL: kept as it is") << withNul << withNul;
}

void TestChineseVariants::convertsToSimplified()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const chinesevariants::Converter converter;
    QVERIFY2(converter.isLoaded(), qPrintable(converter.errorString()));
    QCOMPARE(converter.toSimplified(text), expected);
}

// The page's tables hold every key that starts with a character that matters, a value that could
// never match as null, and nothing else.
void TestChineseVariants::writesThePageWhatCanMatter_data()
{
    QTest::addColumn<QString>("characters"); // of the dictionary's translations
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // "phrase" or "character" table: value, null or absent

    QTest::newRow("a character whose simplified form a translation holds") << "飞行"
                                                                           << "飛"
                                                                           << "character: 飞";
    QTest::newRow("a character of no translation") << "飞行"
                                                   << "機"
                                                   << "absent";
    QTest::newRow("a character whose simplified form no translation holds") << "飞机場"
                                                                            << "場"
                                                                            << "character: null";
    QTest::newRow("a phrase whose simplified form the translations hold") << "计划"
                                                                          << "計畫"
                                                                          << "phrase: 计划";
    QTest::newRow("a phrase starting where one matters, whose form they lack") << "计"
                                                                               << "計畫"
                                                                               << "phrase: null";
    QTest::newRow("nothing for a dictionary without Chinese") << "abc"
                                                              << "飛"
                                                              << "absent";
}

void TestChineseVariants::writesThePageWhatCanMatter()
{
    QFETCH(QString, characters);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const chinesevariants::Converter converter;
    QVERIFY2(converter.isLoaded(), qPrintable(converter.errorString()));
    QSet<char32_t> set;
    for (const uint point : characters.toUcs4())
        set.insert(char32_t(point));
    const QJsonObject tables = converter.pageTables(set);
    const QJsonArray conversion = tables["conversion"].toArray();
    QCOMPARE(conversion.size(), 2); // the phrases, then the characters
    QString found = "absent";
    const QStringList names{"phrase", "character"};
    for (qsizetype i = 0; i < conversion.size(); ++i) {
        const QJsonObject table = conversion[i].toObject();
        if (table.contains(key))
            found = names[i] + ": "
                + (table[key].isNull() ? QStringLiteral("null") : table[key].toString());
    }
    QCOMPARE(found, expected);
    // A phrase the text is cut at is written with the keys of the conversion.
    QCOMPARE(tables["segments"].toArray().contains(key), found.startsWith("phrase"));
}

QTEST_GUILESS_MAIN(TestChineseVariants)
#include "tst_chinese_variants.moc"
