#pragma once

#include "platform/ProgramFolder.h"

#include <QDialog>

class QListWidget;
class Translator;

// The badge properties of the selected files: the ten active badge icons
// and "No badge" to choose from, the current badge chosen at the start.
class BadgeDialog final : public QDialog
{
    Q_OBJECT
public:
    // current: the badge the selection has now: 1 to 10, 0 for none, -1
    // when the selected files have different badges (nothing is chosen then).
    BadgeDialog(const ProgramFolder &folder, Translator &translator, const QStringList &paths, int current,
                QWidget *parent = nullptr);

    // The badge chosen: 1 to 10, or 0 for none.
    int chosenBadge() const;

private:
    QListWidget *m_list = nullptr;
};
