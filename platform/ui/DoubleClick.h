#pragma once

#include <functional>

class QAbstractItemView;

// Runs handler after the view has handled every double-click of the left
// button in it: on a row or where no row is (below the last one, or in an
// empty list). A list box's double-click event fires for both; Qt's view
// signals only the first.
void onDoubleClickAnywhere(QAbstractItemView *view, std::function<void()> handler);
