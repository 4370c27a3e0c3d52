#pragma once

#include <QString>

class QLineEdit;
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

// Shows text in a read-only field from its start: a field left at the end
// of a long value shows only its tail ("ranslations@...").
void showFromStart(QLineEdit *field, const QString &text);

} // namespace Controls
