#ifndef WINDOWLOOK_H
#define WINDOWLOOK_H

#include <QString>

// What the window shows in each of its states, named once: the pages of the stacked widget in
// widget.ui's order, and the style sheets the window sets on the card and the status line.
namespace windowlook {

constexpr int vocabularyPage = 0;
constexpr int translatePage = 1;

inline QString lightCardStyle()
{
    return QStringLiteral("QLabel{background-color: #F8F8F8; border-radius: 9px; color: #1A1A1A}");
}

inline QString darkCardStyle()
{
    return QStringLiteral("QLabel{background-color: #282828; border-radius: 9px; color: #f3f3f3}");
}

inline QString loadedStatusStyle()
{
    return QStringLiteral("color: #27FF97");
}

// The card and the status line after a failed load.
inline QString failureStyle()
{
    return QStringLiteral("color: #FF0D0D");
}

} // namespace windowlook

#endif // WINDOWLOOK_H
