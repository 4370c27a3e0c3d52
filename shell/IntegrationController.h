#pragma once

#include "ShellIntegration.h"

#include <QStringList>

// The rules of the integration page, without its widgets: which check box
// stands for which handlers and library, the boxes as the handler keys say
// at start-up, and the apply button. Boxes go by their layout names, so the
// page binds each of its check boxes by name and no copying between them
// can cross two boxes over.
class IntegrationController final
{
public:
    explicit IntegrationController(ProgramFolder folder);

    // cb_Menu: the context menus of emblixmenu.dll; cb_Prop: the property
    // page of SheetExt.dll; cb_All and cb_Folders: shown nowhere.
    static const QStringList kBoxes;

    // The start-up check: each box as the handler keys are.
    void readShellState();
    bool isChecked(QStringView box) const;
    void setChecked(QStringView box, bool checked);

    // Registers or unregisters SheetExt.dll as cb_Prop says, then
    // emblixmenu.dll as cb_Menu says; the first error ends it. Then the
    // toolbar icon set is stored.
    void Button1Click(const QString &toolbarSet) const;

private:
    bool *boxState(QStringView box);

    ShellIntegration m_shell;
    ShellIntegration::State m_state;
};
