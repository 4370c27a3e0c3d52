#include "StatusHint.h"

#include "platform/Hints.h"

#include <QEvent>

namespace StatusHint {

QString hintFor(const QObject *obj)
{
    for (; obj; obj = obj->parent()) {
        const QString hint = Hints::of(obj);
        if (hint.isEmpty())
            continue;
        const qsizetype bar = hint.indexOf(u'|');
        return bar < 0 ? hint : hint.sliced(bar + 1);
    }
    return QString();
}

} // namespace StatusHint

HintTracker::HintTracker(Handler handler, QObject *parent) : QObject(parent), m_handler(std::move(handler)) {}

void HintTracker::pointerOver(const QObject *control)
{
    const QString hint = StatusHint::hintFor(control);
    if (hint == m_hint)
        return;
    m_hint = hint;
    m_handler(m_hint);
}

bool HintTracker::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Enter:
        if (watched->isWidgetType())
            pointerOver(watched);
        break;
    case QEvent::Leave:
        // Leaving a control puts the pointer over its parent; leaving the
        // window leaves every control up to the window, ending on nothing.
        if (watched->isWidgetType())
            pointerOver(watched->parent());
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
