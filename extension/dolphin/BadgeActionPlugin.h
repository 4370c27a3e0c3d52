#pragma once

#include <KAbstractFileItemActionPlugin>

#include <QVariantList>

// The "Badge" submenu in Dolphin's context menu, with the badges' icons,
// and "Badge properties ...": the entries the registration wrote for the
// file managers' modules, each running the badge command on the selection.
class BadgeActionPlugin final : public KAbstractFileItemActionPlugin
{
    Q_OBJECT
public:
    BadgeActionPlugin(QObject *parent, const QVariantList &arguments);

    QList<QAction *> actions(const KFileItemListProperties &selection, QWidget *parentWidget) override;
};
