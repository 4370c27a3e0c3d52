#include "Controls.h"

#include <QVariant>
#include <QWidget>

namespace Controls {

void setHint(QWidget *control, const QString &hint)
{
    control->setProperty("hint", hint);
}

void setBold(QWidget *control, int pixelSize)
{
    QFont font = control->font();
    font.setBold(true);
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    control->setFont(font);
}

} // namespace Controls
