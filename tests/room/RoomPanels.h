#pragma once

// What the tests of the class room's panels share: a microphone capture
// driven by the test, and screenshots at the two display scales.

#include "TestSupport.h"
#include "room/MicCapture.h"

#include <QPainter>
#include <QPixmap>
#include <QWidget>

class FakeCapture : public MicCapture
{
public:
    static inline FakeCapture* last = nullptr;
    static inline bool deviceMissing = false;

    FakeCapture() { last = this; }
    ~FakeCapture() override
    {
        if (last == this)
            last = nullptr;
    }

    bool Start(int) override
    {
        if (deviceMissing)
            return false;
        state = Active;
        return true;
    }
    void Suspend() override { state = Suspended; }
    void Resume(int) override { state = Active; }
    void Stop() override { state = Stopped; }
    State GetState() const override { return state; }
    double Level() const override { return level; }

    // A recorded block of this level arrives.
    void Feed(double value)
    {
        level = value;
        emit update();
    }

    State state = Stopped;
    double level = 0;
};

inline void UseFakeCapture()
{
    MicCapture::SetFactory([] { return std::make_unique<FakeCapture>(); });
}

// The widget at display scale 1 and 1.5, as <name>-x1.png and -x1.5.png.
inline bool SaveScaledScreenshots(QWidget* widget, const QString& name)
{
    if (TestSupport::SaveScreenshot(widget, name + QStringLiteral("-x1")).isEmpty())
        return false;
    QPixmap picture(widget->size() * 1.5);
    picture.setDevicePixelRatio(1.5);
    picture.fill(Qt::white);
    widget->render(&picture);
    return picture.save(TestSupport::ScreenshotFolder() + QLatin1Char('/') + name + QStringLiteral("-x1.5.png"));
}
