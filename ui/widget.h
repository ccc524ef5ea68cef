#ifndef WIDGET_H
#define WIDGET_H

#include <QFont>
#include <QList>
#include <QString>
#include <QWidget>

#include <utility>

#include "ColorScheme.h"
#include "ConlangDictionary.h"

QT_BEGIN_NAMESPACE
class QLabel;
namespace Ui {
class Widget;
}
QT_END_NAMESPACE

// The main window: the translate page, the vocabulary grid and the
// navigation buttons, over the one dictionary loaded at start-up.
class Widget : public QWidget
{
    Q_OBJECT

public:
    explicit Widget(QWidget *parent = nullptr);
    ~Widget() override;

public slots:
    void on_lineEdit_translate_returnPressed();
    void on_btn2trans_clicked();
    void on_btn2vocab_clicked();
    void on_btn2settings_clicked();
    void onColorSchemeChanged(ColorScheme scheme);
    void updateColors(ColorScheme scheme);

protected:
    void changeEvent(QEvent *event) override;

private:
    void createVocabPage(int columns);
    void showLoaded();
    void showLoadFailure();
    void keepFormTextsWhole();
    QStringList textsShownBy(const QLabel *label) const;

    Ui::Widget *ui;
    ConlangDictionary m_dictionary;
    bool m_dictionaryLoaded = false;
    // The labels whose texts are kept whole, each with the font the form gave it.
    QList<std::pair<QLabel *, QFont>> m_formFonts;
};

// The non-empty lines of a UTF-8 text file, trimmed, in file order; an empty
// list (and a warning) when the file cannot be opened.
QList<QString> readFileLineByLine(const QString &path);

#endif // WIDGET_H
