#pragma once

#include <QComboBox>

class ToolbarSets;

// The owner-drawn list of navigation icon sets: every row 48 pixels high,
// previewing the set's five icons in the tiles' on-screen order.
class ToolbarSetBox final : public QComboBox
{
public:
    explicit ToolbarSetBox(const ToolbarSets &sets, QWidget *parent = nullptr);

    // cbTBThemesDrawItem: row r inside rect, measured from the list's left edge.
    void cbTBThemesDrawItem(QPainter &painter, int row, const QRect &rect, bool selected) const;
    static constexpr int kRowHeight = 48;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const ToolbarSets &m_sets;
};
