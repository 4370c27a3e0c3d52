#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

// A control's hint: the text the status bar shows while the pointer is over
// it (hints are never pop-ups). It is the control's "hint" property, which
// the start-up translation passes through Translate like a caption.
namespace Hints {

inline constexpr char kProperty[] = "hint";

inline void set(QObject *control, const QString &hint)
{
    control->setProperty(kProperty, hint);
}

inline QString of(const QObject *control)
{
    return control->property(kProperty).toString();
}

} // namespace Hints
