#include "IntegrationController.h"

const QStringList IntegrationController::kBoxes{QStringLiteral("cb_Menu"), QStringLiteral("cb_Prop"),
                                                QStringLiteral("cb_All"), QStringLiteral("cb_Folders")};

IntegrationController::IntegrationController(ProgramFolder folder) : m_shell(std::move(folder)) {}

void IntegrationController::readShellState()
{
    m_state = m_shell.readState();
}

bool *IntegrationController::boxState(QStringView box)
{
    if (box == u"cb_Menu")
        return &m_state.menu;
    if (box == u"cb_Prop")
        return &m_state.prop;
    if (box == u"cb_All")
        return &m_state.all;
    if (box == u"cb_Folders")
        return &m_state.folders;
    return nullptr;
}

bool IntegrationController::isChecked(QStringView box) const
{
    const bool *state = const_cast<IntegrationController *>(this)->boxState(box);
    return state && *state;
}

void IntegrationController::setChecked(QStringView box, bool checked)
{
    if (bool *state = boxState(box))
        *state = checked;
}

void IntegrationController::Button1Click(const QString &toolbarSet) const
{
    m_shell.apply(m_state.menu, m_state.prop, toolbarSet);
}
