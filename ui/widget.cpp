#include "widget.h"
#include "ui_widget.h"

#include "DictionaryFormat.h"
#include "LineReader.h"
#include "ResultCard.h"
#include "WholeText.h"
#include "WindowLook.h"

#include <QDebug>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QTextStream>

namespace {

constexpr int vocabularyEntries = 51;

constexpr QStringView postLoadCard
    = u"  您还没有输入任何字词呢(⌐■_■)\n  匹配状态：???\n  您的输入：\n  最佳翻译：\n  词性：\n"
      u"  相关词组：\n  该词组翻译：\n  例句：\n  例句翻译：\n  拼写没有问题！";
constexpr QStringView loadFailureCard = u"请确保texts与varnell.exe位于同一目录下!";
constexpr QStringView notLoadedCard = u"        词典未加载，请检查文件";
// A result card of the tallest kind, ten lines of Latin and Chinese: the
// card's font is chosen for it once, so that it stays the same from one
// search to the next.
constexpr QStringView tallestResultCard
    = u"  搜索成功：tavu\n  匹配状态：成功\n  正确词汇：tavu\n  最佳翻译：禾岚\n  词性：ko.\n"
      u"  相关词组：tavu huhuhu\n  该词组翻译：禾岚航空\n  例句：Ber ini na tavu?\n"
      u"  例句中文意义：你有禾岚吗？\n  注意: 拼写有问题！";

QLabel *createVocabCard(const DictionaryEntry &entry, QWidget *page)
{
    auto *card = new QLabel(page);
    card->setFrameStyle(QFrame::Box);
    card->setAlignment(Qt::AlignCenter);
    card->setTextFormat(Qt::PlainText); // dictionary text is never markup
    card->setText(shortenedForDisplay(entry.word + QLatin1Char(' ') + entry.partOfSpeech
                                      + QLatin1Char('\n') + entry.translation));
    return card;
}

} // namespace

Widget::Widget(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::Widget)
{
    ui->setupUi(this);
    ui->stackedWidget->setCurrentIndex(windowlook::translatePage);
    ui->vocabScrollArea->setWidgetResizable(true);

    connectColorSchemeChanged(this, &Widget::onColorSchemeChanged);
    updateColors(currentColorScheme());

    qDebug() << "词典加载中...";
    m_dictionaryLoaded
        = dictionaryformat::loadFolder(m_dictionary, dictionaryformat::defaultFolder());
    if (m_dictionaryLoaded)
        showLoaded();
    else
        showLoadFailure();

    for (QLabel *label : {ui->title,
                          ui->subtitle,
                          ui->label,
                          ui->label_2,
                          ui->label_result,
                          ui->label_3,
                          ui->label_4}) {
        // The form sets nothing but a point size, and only on some labels;
        // the others inherit the window's font.
        QFont formFont;
        if (label->testAttribute(Qt::WA_SetFont))
            formFont.setPointSize(label->font().pointSize());
        m_formFonts.append({label, formFont});
    }
    keepFormTextsWhole();
}

Widget::~Widget()
{
    delete ui;
}

void Widget::showLoaded()
{
    qDebug() << "字典加载完成！下一步：自检";
    m_dictionary.runTests();
    ui->label_result->setText(postLoadCard.toString());
    ui->label_2->setText(QStringLiteral("加载已完成！"));
    ui->label_2->setStyleSheet(windowlook::loadedStatusStyle());
}

void Widget::showLoadFailure()
{
    qDebug() << "词典初始化失败！";
    ui->label_result->setText(loadFailureCard.toString());
    ui->label_result->setStyleSheet(windowlook::failureStyle());
    ui->label_2->setText(QStringLiteral("词典加载失败，功能不可用"));
    ui->label_2->setStyleSheet(windowlook::failureStyle());
    ui->lineEdit_translate->setEnabled(false);
}

void Widget::changeEvent(QEvent *event)
{
    // A new desktop font may cut texts that fitted, or fit those that did not.
    // Each widget learns of it on its own, in no set order, so the labels are
    // refitted once all of them have.
    if (event->type() == QEvent::FontChange && !m_formFonts.isEmpty())
        QMetaObject::invokeMethod(this, &Widget::keepFormTextsWhole, Qt::QueuedConnection);
    QWidget::changeEvent(event);
}

void Widget::keepFormTextsWhole()
{
    for (const auto &[label, formFont] : m_formFonts)
        keepTextsWhole(*label, formFont, textsShownBy(label));
}

QStringList Widget::textsShownBy(const QLabel *label) const
{
    // The card's font is chosen for every text it can show, not for the one it shows now.
    if (label != ui->label_result)
        return {label->text()};
    if (m_dictionaryLoaded)
        return {postLoadCard.toString(), tallestResultCard.toString()};
    return {loadFailureCard.toString(), notLoadedCard.toString()};
}

void Widget::on_lineEdit_translate_returnPressed()
{
    if (!m_dictionaryLoaded) {
        qDebug() << "词典未加载,无法搜索";
        ui->label_result->setText(notLoadedCard.toString());
        return;
    }

    const QString query = searchedQuery(ui->lineEdit_translate->text());
    const QList<SearchResult> results = m_dictionary.smartSearch(query, 10);
    ui->label_result->setText(shortenedForDisplay(composeResultCard(query, results, m_dictionary)));
}

void Widget::on_btn2trans_clicked()
{
    ui->stackedWidget->setCurrentIndex(windowlook::translatePage);
}

void Widget::on_btn2vocab_clicked()
{
    ui->stackedWidget->setCurrentIndex(windowlook::vocabularyPage);
    createVocabPage(5);
}

void Widget::on_btn2settings_clicked() { }

void Widget::onColorSchemeChanged(ColorScheme scheme)
{
    updateColors(scheme);
}

void Widget::updateColors(ColorScheme scheme)
{
    switch (scheme) {
    case ColorScheme::Light:
        ui->label_result->setStyleSheet(windowlook::lightCardStyle());
        break;
    case ColorScheme::Dark:
        ui->label_result->setStyleSheet(windowlook::darkCardStyle());
        break;
    default:
        break; // an unknown scheme keeps whatever style the card has
    }
}

void Widget::createVocabPage(int columns)
{
    // The form's placeholder content goes with the first rebuild; forget its pointers.
    QWidget *previousPage = ui->vocabScrollArea->takeWidget();
    if (previousPage == ui->scrollAreaWidgetContents) {
        ui->scrollAreaWidgetContents = nullptr;
        ui->gridLayoutWidget = nullptr;
        ui->gridLayout_dict = nullptr;
    }
    delete previousPage;

    columns = qMax(1, columns);
    auto *page = new QWidget(ui->vocabScrollArea);
    auto *grid = new QGridLayout(page);
    for (int number = 1; number <= vocabularyEntries; ++number) {
        const QList<SearchResult> results = m_dictionary.smartSearch(QString::number(number), 1);
        if (results.isEmpty() || !results.first().entry)
            continue; // the cell stays empty; later cards keep their places
        const int index = number - 1;
        grid->addWidget(
            createVocabCard(*results.first().entry, page), index / columns, index % columns);
    }
    ui->vocabScrollArea->setWidget(page);
}

QList<QString> readFileLineByLine(const QString &path)
{
    QList<QString> lines;
    LineReader file;
    if (!file.open(path)) {
        qWarning() << "无法打开文件,词典页无法渲染" << path;
        return lines;
    }
    while (!file.atEnd()) {
        const QString line = file.readLine().trimmed();
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}
