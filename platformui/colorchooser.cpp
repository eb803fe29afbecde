#include "colorchooser.h"

#include <QColorDialog>

std::optional<QColor> QtColorChooser::chooseColor(const QColor &initial, QWidget *parent)
{
    const QColor chosen = QColorDialog::getColor(initial, parent);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}
