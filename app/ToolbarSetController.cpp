#include "ToolbarSetController.h"

#include "WindowRules.h"

ToolbarSetController::ToolbarSetController(ProgramFolder folder, QObject *parent)
    : QObject(parent), m_sets(std::move(folder))
{}

int ToolbarSetController::savedRow(const QStringList &names) const
{
    return int(names.indexOf(m_sets.savedSet()));
}

void ToolbarSetController::loadSaved()
{
    if (const auto choice = WindowRules::savedToolbarSet(m_sets.savedSet()))
        load(choice->set, choice->page);
}

bool ToolbarSetController::pick(const QString &set)
{
    const auto choice = WindowRules::toolbarSetPicked(set);
    if (choice)
        load(choice->set, choice->page);
    return choice.has_value();
}

void ToolbarSetController::load(const QString &set, int page)
{
    m_sets.load(set, [this](int iconPage, const QPixmap &icon) { emit iconLoaded(iconPage, icon); });
    emit pageWanted(page);
}
