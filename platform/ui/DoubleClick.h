#pragma once

#include <functional>

class QAbstractItemView;

// Runs handler after the view has handled every double-click of the left
// button in it: on a row or where no row is (below the last one, or in an
// empty list). A list box's double-click event fires for both; Qt's view
// signals only the first. Presses where no row is leave the selection as it
// is, as they do in a list box (Qt's view would clear it).
void onDoubleClickAnywhere(QAbstractItemView *view, std::function<void()> handler);
