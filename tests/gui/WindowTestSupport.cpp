#include "WindowTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyleHints>
#include <QTest>

namespace windowtest {

bool writeDictionary(const QString &folder, const QList<DictionaryRow> &rows)
{
    return QDir(folder).mkpath("texts")
        && !writeDictionaryFiles(folder + "/texts", rows).words.isEmpty();
}

QList<DictionaryRow> standardRows()
{
    QList<DictionaryRow> rows = {
        {"kalo", "门", "ka.", "kalo rado,sumi kalo", "门安全,小门"},
        {"tavu", "禾岚", "ko.", "tavu huhuhu", "禾岚航空"},
        {"orvan", "奥凡", "kiu.", QString(), QString()},
        {"mira", "镜子", "n.", QString(), QString()},
        {"<b>x</b>", "<i>斜</i>", "ko.", "<u>p</u>", "<s>q</s>"},
        {"pa%2", "百%1分", "ko.", QString(), QString()},
        {QString(), QString(), QString(), QString(), QString()},
        {"zuno", "书", "ka.;ko.", QString(), QString()},
        {"w9", "词9", QString(), QString(), QString()},
    };
    for (int number = 10; number <= 53; ++number) {
        rows.append({QStringLiteral("w%1").arg(number),
                     QStringLiteral("词%1").arg(number),
                     "ko.",
                     QString(),
                     QString()});
    }
    return rows;
}

std::unique_ptr<Widget> openWindowIn(const QString &folder)
{
    const QString previous = QDir::currentPath();
    if (!QDir::setCurrent(folder))
        return nullptr;
    auto window = std::make_unique<Widget>();
    QDir::setCurrent(previous);
    return window;
}

QLineEdit *input(const Widget &window)
{
    return window.findChild<QLineEdit *>("lineEdit_translate");
}

QLabel *card(const Widget &window)
{
    return window.findChild<QLabel *>("label_result");
}

QLabel *status(const Widget &window)
{
    return window.findChild<QLabel *>("label_2");
}

QStackedWidget *pages(const Widget &window)
{
    return window.findChild<QStackedWidget *>("stackedWidget");
}

QScrollArea *vocabularyArea(const Widget &window)
{
    return window.findChild<QScrollArea *>("vocabScrollArea");
}

QPushButton *translateButton(const Widget &window)
{
    return window.findChild<QPushButton *>("btn2trans");
}

QPushButton *vocabularyButton(const Widget &window)
{
    return window.findChild<QPushButton *>("btn2vocab");
}

QPushButton *settingsButton(const Widget &window)
{
    return window.findChild<QPushButton *>("btn2settings");
}

void typeText(QLineEdit *lineEdit, const QString &text)
{
    bool latin = true;
    for (const QChar c : text)
        latin = latin && c.unicode() < 0x80;
    if (latin) {
        QTest::keyClicks(lineEdit, text);
        return;
    }
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(lineEdit, &commit);
}

void search(QLineEdit *lineEdit, const QString &query)
{
    lineEdit->clear();
    typeText(lineEdit, query);
    QTest::keyClick(lineEdit, Qt::Key_Return);
}

QList<QString> searchCard(const Widget &window, const QString &query)
{
    QLineEdit *line = input(window);
    line->clear();
    QInputMethodEvent paste;
    paste.setCommitString(query);
    QApplication::sendEvent(line, &paste);
    if (line->text() != query)
        return {"the input line did not take the query"};
    QTest::keyClick(line, Qt::Key_Return);
    return card(window)->text().split(QLatin1Char('\n'));
}

QMap<int, QString> vocabularyCards(const Widget &window)
{
    vocabularyButton(window)->click();
    QMap<int, QString> cards;
    auto *grid = qobject_cast<QGridLayout *>(vocabularyArea(window)->widget()->layout());
    if (!grid)
        return cards;
    for (int i = 0; i < grid->count(); ++i) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        if (auto *label = qobject_cast<QLabel *>(grid->itemAt(i)->widget()))
            cards.insert(row * 5 + column + 1, label->text());
    }
    return cards;
}

QPalette paletteFor(ColorScheme scheme)
{
    QPalette palette = QApplication::palette();
    const bool dark = scheme == ColorScheme::Dark;
    palette.setColor(QPalette::Window, dark ? QColor(0x20, 0x20, 0x20) : QColor(0xf0, 0xf0, 0xf0));
    palette.setColor(QPalette::WindowText,
                     dark ? QColor(0xf0, 0xf0, 0xf0) : QColor(0x10, 0x10, 0x10));
    return palette;
}

void switchColorScheme(ColorScheme scheme)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QGuiApplication::styleHints()->setColorScheme(scheme);
#elif QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    emit QGuiApplication::styleHints()->colorSchemeChanged(scheme);
#else
    QApplication::setPalette(paletteFor(scheme));
#endif
}

PaletteGuard::PaletteGuard()
    : m_saved(QApplication::palette())
{
}

PaletteGuard::~PaletteGuard()
{
    QApplication::setPalette(m_saved);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QGuiApplication::styleHints()->unsetColorScheme();
#endif
}

} // namespace windowtest
