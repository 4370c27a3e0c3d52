#include "Anchors.h"

#include <QEvent>
#include <QWidget>

namespace {

constexpr char kDesignSize[] = "anchorsDesignSize";
constexpr char kDesignRect[] = "anchorsDesignRect";
constexpr char kEdges[] = "anchorsEdges";

int span(int designStart, int designLength, int designParent, int parent, bool nearEdge, bool farEdge, int *start)
{
    const int farGap = designParent - designStart - designLength;
    if (nearEdge && farEdge) {
        *start = designStart;
        return std::max(0, parent - designStart - farGap);
    }
    *start = farEdge ? parent - farGap - designLength : designStart;
    return designLength;
}

void applyChildren(QWidget *parent);

void apply(QWidget *control)
{
    QWidget *parent = control->parentWidget();
    const QSize design = parent->property(kDesignSize).toSize();
    const QRect rect = control->property(kDesignRect).toRect();
    const auto edges = Qt::Edges(control->property(kEdges).toInt());
    if (!design.isValid()) {
        control->setGeometry(rect);
        return;
    }
    int x = 0;
    int y = 0;
    const int w =
        span(rect.x(), rect.width(), design.width(), parent->width(), edges & Qt::LeftEdge, edges & Qt::RightEdge, &x);
    const int h = span(rect.y(), rect.height(), design.height(), parent->height(), edges & Qt::TopEdge,
                       edges & Qt::BottomEdge, &y);
    control->setGeometry(x, y, w, h);
    // A hidden control gets its resize event only when shown; its anchored
    // children follow now, so that sizes read before then are right.
    applyChildren(control);
}

void applyChildren(QWidget *parent)
{
    for (QObject *child : parent->children()) {
        if (child->isWidgetType() && child->property(kDesignRect).isValid())
            apply(static_cast<QWidget *>(child));
    }
}

class ResizeWatcher final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            applyChildren(static_cast<QWidget *>(watched));
        return false;
    }
};

} // namespace

namespace Anchors {

void setDesignSize(QWidget *parent, const QSize &size)
{
    parent->setProperty(kDesignSize, size);
    parent->resize(size);
    if (!parent->findChild<ResizeWatcher *>(QString(), Qt::FindDirectChildrenOnly))
        parent->installEventFilter(new ResizeWatcher(parent));
}

void place(QWidget *control, const QRect &designRect, Qt::Edges anchors)
{
    control->setProperty(kDesignRect, designRect);
    control->setProperty(kEdges, int(anchors));
    apply(control);
}

} // namespace Anchors
