#include "DoubleClick.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QMouseEvent>

namespace {

class DoubleClickFilter final : public QObject
{
public:
    DoubleClickFilter(QAbstractItemView *view, std::function<void()> handler)
        : QObject(view), m_handler(std::move(handler))
    {
        view->viewport()->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_forwarding || event->type() != QEvent::MouseButtonDblClick
            || static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
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
    std::function<void()> m_handler;
    bool m_forwarding = false;
};

} // namespace

void onDoubleClickAnywhere(QAbstractItemView *view, std::function<void()> handler)
{
    new DoubleClickFilter(view, std::move(handler));
}
