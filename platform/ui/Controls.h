#pragma once

#include <QString>

class QWidget;

// Small helpers for building a page the way its layout defines it: every
// control carries its layout name as objectName and its stored caption and
// hint, which the start-up translation passes through Translate.
namespace Controls {

template <typename T>
T *make(QWidget *parent, const char *name)
{
    T *control = new T(parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

void setBold(QWidget *control, int pixelSize = 0);

} // namespace Controls
