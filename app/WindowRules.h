#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Rules of the main window that need no window, so they are tested alone.
namespace WindowRules {

// A navigation icon set to load, and the page to bring to the front then.
struct ToolbarChoice {
    QString set;
    int page = 1;
};

// A set picked in the set list is loaded and the integration page shown;
// "Default" (exactly) loads nothing, and the icons shown stay.
std::optional<ToolbarChoice> toolbarSetPicked(const QString &set);
// The saved set at start-up is loaded and the library page shown, unless it
// is "Default": the built-in icons stay.
std::optional<ToolbarChoice> savedToolbarSet(const QString &saved);

// The package named by the command line: the first argument, when its
// extension is ".vqk" in any letter case.
std::optional<QString> packageArgument(const QStringList &arguments);

} // namespace WindowRules
