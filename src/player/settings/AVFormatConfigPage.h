#pragma once

#include "ConfigPageBase.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

// The "AVFormat" page: the options handed to the demuxer when they are
// enabled.
class AVFormatConfigPage : public ConfigPageBase
{
    Q_OBJECT

public:
    explicit AVFormatConfigPage(QWidget* parent = nullptr);

    QString title() const override;
    void applyToConfig() override;

public slots:
    void applyToUi() override;

private:
    QCheckBox* m_on = nullptr;
    QCheckBox* m_direct = nullptr;
    QSpinBox* m_probeSize = nullptr;
    QSpinBox* m_analyzeDuration = nullptr;
    QLineEdit* m_extra = nullptr;
};
