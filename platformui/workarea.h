// DesktopWorkArea: the screen less the task bar, asked through an interface for tests.
#pragma once

#include <QRect>

class DesktopWorkArea
{
public:
    virtual ~DesktopWorkArea() = default;
    virtual QRect workArea() const = 0;
};

// The primary screen's available geometry.
class ScreenWorkArea : public DesktopWorkArea
{
public:
    QRect workArea() const override;
};

// A fixed rectangle (tests).
class FixedWorkArea : public DesktopWorkArea
{
public:
    explicit FixedWorkArea(QRect rect)
        : m_rect(rect)
    {
    }
    QRect workArea() const override { return m_rect; }

private:
    QRect m_rect;
};
