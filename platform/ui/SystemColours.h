#pragma once

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

// The system colours the layout names, as the desktop's palette provides
// them on every platform.
namespace SystemColours {

inline QPalette palette()
{
    return QGuiApplication::palette();
}
inline QColor buttonFace()
{
    return palette().color(QPalette::Button);
}
inline QColor buttonShadow()
{
    return palette().color(QPalette::Dark);
}
inline QColor buttonText()
{
    return palette().color(QPalette::ButtonText);
}
inline QColor dark3DShadow()
{
    return palette().color(QPalette::Shadow);
}
inline QColor inactiveBorder()
{
    return palette().color(QPalette::Midlight);
}
inline QColor windowText()
{
    return palette().color(QPalette::WindowText);
}
inline QColor window()
{
    return palette().color(QPalette::Base);
}
inline QColor highlight()
{
    return palette().color(QPalette::Highlight);
}
inline QColor highlightedText()
{
    return palette().color(QPalette::HighlightedText);
}
inline QColor captionText()
{
    return palette().color(QPalette::HighlightedText);
}
inline QColor hotTrack()
{
    return palette().color(QPalette::Link);
}

} // namespace SystemColours
