#include "widget.h"
#include "ui_widget.h"

#include "DictionaryFormat.h"
#include "LineReader.h"
#include "ResultCard.h"

#include <QDebug>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QTextStream>

namespace {

constexpr int vocabularyEntries = 51;

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
    ui->stackedWidget->setCurrentIndex(1);
    ui->vocabScrollArea->setWidgetResizable(true);

    connectColorSchemeChanged(this, &Widget::onColorSchemeChanged);
    updateColors(currentColorScheme());

    qDebug() << "词典加载中...";
    dictionaryLoaded = DictionaryFormat::loadFolder(dictionary, DictionaryFormat::defaultFolder());
    if (dictionaryLoaded)
        showLoaded();
    else
        showLoadFailure();
}

Widget::~Widget()
{
    delete ui;
}

void Widget::showLoaded()
{
    qDebug() << "字典加载完成！下一步：自检";
    dictionary.runTests();
    ui->label_result->setText(
        QStringLiteral("  您还没有输入任何字词呢(⌐■_■)\n  匹配状态：???\n"
                       "  您的输入：\n  最佳翻译：\n  词性：\n  相关词组：\n"
                       "  该词组翻译：\n  例句：\n  例句翻译：\n  拼写没有问题！"));
    ui->label_2->setText(QStringLiteral("加载已完成！"));
    ui->label_2->setStyleSheet(QStringLiteral("color: #27FF97"));
}

void Widget::showLoadFailure()
{
    qDebug() << "词典初始化失败！";
    ui->label_result->setText(QStringLiteral("请确保texts与varnell.exe位于同一目录下!"));
    ui->label_result->setStyleSheet(QStringLiteral("color: #FF0D0D"));
    ui->label_2->setText(QStringLiteral("词典加载失败，功能不可用"));
    ui->label_2->setStyleSheet(QStringLiteral("color: #FF0D0D"));
    ui->lineEdit_translate->setEnabled(false);
}

void Widget::on_lineEdit_translate_returnPressed()
{
    if (!dictionaryLoaded) {
        qDebug() << "词典未加载,无法搜索";
        ui->label_result->setText(QStringLiteral("        词典未加载，请检查文件"));
        return;
    }

    const QString query = searchedQuery(ui->lineEdit_translate->text());
    const QList<SearchResult> results = dictionary.smartSearch(query, 10);
    ui->label_result->setText(shortenedForDisplay(composeResultCard(query, results, dictionary)));
}

void Widget::on_btn2trans_clicked()
{
    ui->stackedWidget->setCurrentIndex(1);
}

void Widget::on_btn2vocab_clicked()
{
    ui->stackedWidget->setCurrentIndex(0);
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
        ui->label_result->setStyleSheet(QStringLiteral(
            "QLabel{background-color: #F8F8F8; border-radius: 9px; color: #1A1A1A}"));
        break;
    case ColorScheme::Dark:
        ui->label_result->setStyleSheet(QStringLiteral(
            "QLabel{background-color: #282828; border-radius: 9px; color: #f3f3f3}"));
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
        const QList<SearchResult> results = dictionary.smartSearch(QString::number(number), 1);
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
