#pragma once

#include <QRect>

// The primary screen as the popup and the window placement need it. Sizes in device-
// independent pixels; positions the program computes in twips are converted with
// twipsPerPixel (15 at 96 dpi).
class ScreenMetrics
{
public:
    virtual ~ScreenMetrics() = default;
    virtual QRect screenGeometry() const = 0;
    virtual QRect workArea() const = 0;
    virtual double twipsPerPixelX() const = 0;
    virtual double twipsPerPixelY() const = 0;
};

// A fixed screen, for tests and for running without one.
class FixedScreenMetrics : public ScreenMetrics
{
public:
    FixedScreenMetrics(QRect screen = QRect(0, 0, 1280, 1024), QRect work = QRect(0, 0, 1280, 994),
                       double twips = 15.0)
        : m_screen(screen), m_work(work), m_twips(twips)
    {
    }
    QRect screenGeometry() const override { return m_screen; }
    QRect workArea() const override { return m_work; }
    double twipsPerPixelX() const override { return m_twips; }
    double twipsPerPixelY() const override { return m_twips; }
    void setWorkArea(QRect work) { m_work = work; }

private:
    QRect m_screen;
    QRect m_work;
    double m_twips;
};
