#include "WholeText.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QtMath>

#include <optional>

namespace {

// Room around the label in the measuring image: ink reaching this far out is
// cut anyway, so only whether a side overflows matters, not by how much.
constexpr int measuringMargin = 8;
// A pixel is ink when the text covers at least half of it: fainter
// anti-aliasing fringes are not ink a reader misses.
constexpr int inkAlpha = 128;
// Letters move closer in quarter pixels, by at most this share of the font's size.
constexpr qreal spacingStep = 0.25;
constexpr qreal largestTightening = 0.05;

bool fits(const QMarginsF &overflow)
{
    return overflow.left() <= 0 && overflow.top() <= 0 && overflow.right() <= 0
        && overflow.bottom() <= 0;
}

// The largest overflow on each side over all `texts`.
QMarginsF
worstOverflow(const QFont &font, const TextBox &box, const QStringList &texts, qreal pixelRatio)
{
    QMarginsF worst;
    for (const QString &text : texts) {
        const QMarginsF overflow = inkOverflow(font, box, text, pixelRatio);
        worst = QMarginsF(qMax(worst.left(), overflow.left()),
                          qMax(worst.top(), overflow.top()),
                          qMax(worst.right(), overflow.right()),
                          qMax(worst.bottom(), overflow.bottom()));
    }
    return worst;
}

// `font`, with its letters moved closer if that is all the texts need to fit.
std::optional<QFont>
withTightenedSpacing(QFont font, const TextBox &box, const QStringList &texts, qreal pixelRatio)
{
    QMarginsF overflow = worstOverflow(font, box, texts, pixelRatio);
    if (overflow.top() > 0 || overflow.bottom() > 0)
        return std::nullopt; // closer letters make the text no lower
    const qreal limit = QFontInfo(font).pixelSize() * largestTightening;
    for (qreal spacing = -spacingStep; !fits(overflow); spacing -= spacingStep) {
        if (-spacing > limit)
            return std::nullopt;
        font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
        overflow = worstOverflow(font, box, texts, pixelRatio);
    }
    return font;
}

// The family the font really resolves to comes first: the requested one may be
// a generic name such as "Sans Serif" that no installed family carries.
QFont withCompactFallback(QFont font)
{
    font.setFamilies({QFontInfo(font).family(), compactChineseFamily()});
    return font;
}

QFont compactFirst(QFont font)
{
    font.setFamilies({compactChineseFamily(), QFontInfo(font).family()});
    return font;
}

QFont pointsLess(QFont font, int points)
{
    font.setPointSize(font.pointSize() - points);
    return font;
}

// The changes wholeTextFont() tries, least visible first.
QList<QFont> candidateFonts(const QFont &font)
{
    QList<QFont> candidates = {font};
    const bool compactInstalled = QFontDatabase::hasFamily(compactChineseFamily());
    const QFont base = compactInstalled ? withCompactFallback(font) : font;
    if (compactInstalled)
        candidates.append(base);
    if (font.pointSize() > 0) {
        candidates.append(pointsLess(base, 1));
        candidates.append(pointsLess(base, 2));
    }
    if (compactInstalled)
        candidates.append(compactFirst(font));
    return candidates;
}

} // namespace

TextBox textBoxOf(const QLabel &label)
{
    const int margin = label.margin();
    return {label.size(),
            label.contentsRect().adjusted(margin, margin, -margin, -margin),
            int(label.alignment()) | (label.wordWrap() ? Qt::TextWordWrap : 0)};
}

QMarginsF inkOverflow(const QFont &font, const TextBox &box, const QString &text, qreal pixelRatio)
{
    const QSize logical = box.size + QSize(2 * measuringMargin, 2 * measuringMargin);
    QImage image(logical * pixelRatio, QImage::Format_Alpha8);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(0);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.translate(measuringMargin, measuringMargin);
        painter.drawText(box.textRect, box.flags | Qt::TextDontClip, text);
    }
    // Only the strips around the label are searched: ink inside it is whole.
    const int width = image.width();
    const int height = image.height();
    // A device pixel the label's edge runs through counts as outside.
    const int insideLeft = qCeil(measuringMargin * pixelRatio);
    const int insideTop = insideLeft;
    const int insideRight = qFloor((measuringMargin + box.size.width()) * pixelRatio);
    const int insideBottom = qFloor((measuringMargin + box.size.height()) * pixelRatio);
    auto ink = [&image](int x, int y) { return image.constScanLine(y)[x] >= inkAlpha; };
    auto rowHasInk = [&](int y) {
        for (int x = 0; x < width; ++x) {
            if (ink(x, y))
                return true;
        }
        return false;
    };
    int top = insideTop;
    for (int y = 0; y < insideTop; ++y) {
        if (rowHasInk(y)) {
            top = y;
            break;
        }
    }
    int bottom = insideBottom;
    for (int y = height - 1; y >= insideBottom; --y) {
        if (rowHasInk(y)) {
            bottom = y + 1;
            break;
        }
    }
    int left = insideLeft;
    int right = insideRight;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < left; ++x) {
            if (ink(x, y)) {
                left = x;
                break;
            }
        }
        for (int x = width - 1; x >= right; --x) {
            if (ink(x, y)) {
                right = x + 1;
                break;
            }
        }
    }
    return QMarginsF((insideLeft - left) / pixelRatio,
                     (insideTop - top) / pixelRatio,
                     (right - insideRight) / pixelRatio,
                     (bottom - insideBottom) / pixelRatio);
}

QFont wholeTextFont(const QFont &font,
                    const TextBox &box,
                    const QStringList &texts,
                    qreal pixelRatio)
{
    for (const QFont &candidate : candidateFonts(font)) {
        if (const std::optional<QFont> fitting
            = withTightenedSpacing(candidate, box, texts, pixelRatio))
            return *fitting;
    }
    return font;
}

void keepTextsWhole(QLabel &label, const QFont &formFont, const QStringList &texts)
{
    label.setFont(formFont);
    const QFont desktopFont = label.font();
    const QFont chosen
        = wholeTextFont(desktopFont, textBoxOf(label), texts, label.devicePixelRatioF());
    if (chosen != desktopFont)
        label.setFont(chosen);
}
