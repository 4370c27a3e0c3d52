#pragma once

#include <QLabel>

#include <functional>

// A link: underlined in the hot-track colour, with the hand pointer; a
// click runs its handler.
class LinkLabel final : public QLabel
{
public:
    explicit LinkLabel(QWidget *parent);

    std::function<void()> onClick;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
