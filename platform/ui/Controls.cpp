#include "Controls.h"

#include <QLineEdit>
#include <QVariant>
#include <QWidget>

namespace Controls {

void setBold(QWidget *control, int pixelSize)
{
    QFont font = control->font();
    font.setBold(true);
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    control->setFont(font);
}

void showFromStart(QLineEdit *field, const QString &text)
{
    field->setText(text);
    field->setCursorPosition(0);
}

} // namespace Controls
