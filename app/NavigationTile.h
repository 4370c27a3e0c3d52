#pragma once

#include <QLabel>

// One picture tile of the navigation bar; a click selects its page.
class NavigationTile final : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
