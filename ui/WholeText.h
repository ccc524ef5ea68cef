#ifndef WHOLETEXT_H
#define WHOLETEXT_H

#include <QFont>
#include <QMarginsF>
#include <QRect>
#include <QString>
#include <QStringList>

class QLabel;

// The form's labels have fixed sizes drawn for compact fonts, while the
// desktop decides which font they really get. These functions find, for a
// label whose text would be cut with the desktop's font, the least visible
// change to that font under which the text is whole again.

// Where a label lays out its text: the label's size, the rectangle the text
// is aligned in, and the alignment flags.
struct TextBox
{
    QSize size;
    QRect textRect;
    int flags = 0;
};
TextBox textBoxOf(const QLabel &label);

// How far the ink of `text`, drawn with `font` into `box` at the given
// device pixel ratio, runs outside the label on each side, in logical pixels
// (0 where it stays inside; at most 8, where the search stops).
QMarginsF inkOverflow(const QFont &font, const TextBox &box, const QString &text, qreal pixelRatio);

// The compact Chinese family the window prefers when the desktop's font has
// too tall lines for the form; installed with the package.
inline QString compactChineseFamily()
{
    return QStringLiteral("WenQuanYi Micro Hei");
}

// The font closest to `font` under which each of `texts` fits in `box`, trying
// in this order: `font` itself; the same with its letters up to 5 % closer;
// the compact family as the fallback for Chinese characters; one and then two
// points less; the compact family first. `font` itself when nothing fits.
QFont wholeTextFont(const QFont &font,
                    const TextBox &box,
                    const QStringList &texts,
                    qreal pixelRatio);

// Gives `label` its form font `formFont` again and, where one of `texts`
// would be cut with it, the font wholeTextFont() chooses.
void keepTextsWhole(QLabel &label, const QFont &formFont, const QStringList &texts);

#endif // WHOLETEXT_H
