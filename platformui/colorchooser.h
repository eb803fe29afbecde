// ColorChooser: the desktop's colour dialog, behind an interface so tests can answer it.
#pragma once

#include <QColor>
#include <optional>

class QWidget;

class ColorChooser
{
public:
    virtual ~ColorChooser() = default;
    // Lets the user pick a colour, starting from initial; nothing when cancelled.
    virtual std::optional<QColor> chooseColor(const QColor &initial, QWidget *parent) = 0;
};

// QColorDialog; waits for the user's answer.
class QtColorChooser : public ColorChooser
{
public:
    std::optional<QColor> chooseColor(const QColor &initial, QWidget *parent) override;
};

// Gives a fixed answer and counts the questions (tests).
class FixedColorChooser : public ColorChooser
{
public:
    std::optional<QColor> chooseColor(const QColor &initial, QWidget *) override
    {
        ++asked;
        lastInitial = initial;
        return answer;
    }

    std::optional<QColor> answer;
    QColor lastInitial;
    int asked = 0;
};
