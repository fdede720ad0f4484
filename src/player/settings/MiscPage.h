#pragma once

#include "ConfigPageBase.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;

// The "Misc" page: preview, forced frame rate, buffer, network time-out,
// the OpenGL back-end and the log level. Each control is named after its
// setting.
class MiscPage : public ConfigPageBase
{
    Q_OBJECT

public:
    explicit MiscPage(QWidget* parent = nullptr);

    QString title() const override;
    void applyToConfig() override;

public slots:
    void applyToUi() override;

private:
    QCheckBox* m_previewOn = nullptr;
    QSpinBox* m_previewWidth = nullptr;
    QSpinBox* m_previewHeight = nullptr;
    QDoubleSpinBox* m_fps = nullptr;
    QSpinBox* m_notifyInterval = nullptr;
    QSpinBox* m_bufferValue = nullptr;
    QDoubleSpinBox* m_timeout = nullptr;
    QCheckBox* m_timeoutAbort = nullptr;
    QComboBox* m_openGL = nullptr;
    QComboBox* m_anglePlatform = nullptr;
    QCheckBox* m_egl = nullptr;
    QComboBox* m_log = nullptr;
};
