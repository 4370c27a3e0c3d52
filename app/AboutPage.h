#pragma once

#include <QWidget>

// The about page p_3: the program's icon, name, version and credits.
class AboutPage final : public QWidget
{
public:
    explicit AboutPage(QWidget *parent);
};
