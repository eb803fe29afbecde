// Finds widgets that draw through a style sheet (their own or a parent's): each one makes
// the toolkit build its style-sheet machinery, which the windows shown at start avoid.
#pragma once

#include <QStringList>
#include <QStyle>
#include <QWidget>

#include <string>

// "Class#objectName" of root and every widget under it that has a style sheet or draws
// with the style-sheet style, comma-separated; empty when none does.
inline std::string styleSheetWidgets(const QWidget &root)
{
    QList<const QWidget *> widgets{&root};
    for (const QWidget *child : root.findChildren<QWidget *>())
        widgets.append(child);
    QStringList found;
    for (const QWidget *widget : widgets) {
        if (!widget->styleSheet().isEmpty() || widget->style()->inherits("QStyleSheetStyle"))
            found << QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char('#')
                         + widget->objectName();
    }
    return found.join(QStringLiteral(", ")).toStdString();
}
