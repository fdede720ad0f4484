#pragma once

#include <QList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QPushButton;
class Slider;

// The video equaliser the player window embeds: brightness, contrast, hue
// and saturation from -100 to 100, and the engine that applies them
// (0 "libswscale", 1 "GLSL", 2 "XV"), chosen among those the renderer
// offers. GUI thread.
class VideoEQConfigPage : public QWidget
{
    Q_OBJECT

public:
    explicit VideoEQConfigPage(QWidget* parent = nullptr);

    // The engines offered, kept in ascending order; the current engine
    // stays as it is.
    void setEngines(const QList<int>& engines);
    void setEngine(int engine);
    int engine() const { return m_engine; }

    // -1.0 to 1.0.
    qreal brightness() const;
    qreal contrast() const;
    qreal hue() const;
    qreal saturation() const;

signals:
    void engineChanged();
    void brightnessChanged(int value);
    void contrastChanged(int value);
    void hueChanegd(int value);
    void saturationChanged(int value);

public slots:
    // There is one equaliser per window: nothing to share.
    void onGlobalSet(bool global);
    // Every slider back to 0.
    void onReset();
    void onEngineChangedByUI();

private:
    QCheckBox* m_globalBox = nullptr;
    QComboBox* m_engineBox = nullptr;
    Slider* m_brightnessSlider = nullptr;
    Slider* m_contrastSlider = nullptr;
    Slider* m_hueSlider = nullptr;
    Slider* m_saturationSlider = nullptr;
    QPushButton* m_resetButton = nullptr;
    int m_engine = 0;
    QList<int> m_engines;
};
