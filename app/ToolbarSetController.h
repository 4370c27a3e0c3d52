#pragma once

#include "ToolbarSets.h"

#include <QObject>
#include <QPixmap>
#include <QStringList>

// The navigation icon set the user picks on the integration page, and the
// one saved for the start: what is loaded, and which page comes to the
// front then. The window shows the icons and the page; the rules are here.
class ToolbarSetController final : public QObject
{
    Q_OBJECT
public:
    explicit ToolbarSetController(ProgramFolder folder, QObject *parent = nullptr);

    const ToolbarSets &sets() const { return m_sets; }
    // The saved set's row among names (matched exactly), or -1.
    int savedRow(const QStringList &names) const;

    // At the start: the saved set's icons, then the library page, unless it
    // is "Default" (the built-in icons stay). The name is used as read,
    // whether or not the list carries it.
    void loadSaved();
    // A set picked in the list: its icons, then the integration page;
    // "Default" loads nothing. Returns whether a set was loaded.
    bool pick(const QString &set);

signals:
    void iconLoaded(int page, const QPixmap &icon);
    void pageWanted(int page);

private:
    void load(const QString &set, int page);

    ToolbarSets m_sets;
};
