#include "DoubleClick.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QMouseEvent>

namespace {

class DoubleClickFilter final : public QObject
{
public:
    DoubleClickFilter(QAbstractItemView *view, std::function<void()> handler)
        : QObject(view), m_view(view), m_handler(std::move(handler))
    {
        view->viewport()->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_forwarding)
            return false;
        const bool press = event->type() == QEvent::MouseButtonPress;
        const bool doubleClick = event->type() == QEvent::MouseButtonDblClick;
        if (!press && !doubleClick)
            return false;
        const auto *mouse = static_cast<QMouseEvent *>(event);
        // A press where no row is leaves the selection as it is, as a list
        // box does; the list only takes the focus.
        if (!m_view->indexAt(mouse->position().toPoint()).isValid()) {
            m_view->setFocus(Qt::MouseFocusReason);
            if (doubleClick && mouse->button() == Qt::LeftButton)
                m_handler();
            return true;
        }
        if (!doubleClick || mouse->button() != Qt::LeftButton)
            return false;
        // The view handles the click first (its selection as it then is is
        // what the handler reads), then the handler runs.
        m_forwarding = true;
        QCoreApplication::sendEvent(watched, event);
        m_forwarding = false;
        m_handler();
        return true;
    }

private:
    QAbstractItemView *m_view;
    std::function<void()> m_handler;
    bool m_forwarding = false;
};

} // namespace

void onDoubleClickAnywhere(QAbstractItemView *view, std::function<void()> handler)
{
    new DoubleClickFilter(view, std::move(handler));
}
