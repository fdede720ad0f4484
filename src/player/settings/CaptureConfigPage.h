#pragma once

#include "ConfigPageBase.h"

class QComboBox;
class QLineEdit;
class Slider;

// The "Capture" page: where captured video frames are saved, in which
// picture format and at which quality. The folder and the quality follow
// Config while the page is shown.
class CaptureConfigPage : public ConfigPageBase
{
    Q_OBJECT

public:
    explicit CaptureConfigPage(QWidget* parent = nullptr);

    QString title() const override;
    void applyToConfig() override;

public slots:
    void applyToUi() override;
    // Lets the user choose the folder.
    void selectSaveDir();
    // Opens the folder in the desktop's file manager.
    void browseCaptureDir();

private:
    QLineEdit* m_dirEdit = nullptr;
    QComboBox* m_formatBox = nullptr;
    Slider* m_qualitySlider = nullptr;
};
