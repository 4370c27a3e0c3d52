#include "Controls.h"

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

} // namespace Controls
