#pragma once

#include "ConfigPageBase.h"

class QCheckBox;
class QTextEdit;

// The "Shader" page: the user's own fragment shader code for OpenGL
// renderers.
class ShaderPage : public ConfigPageBase
{
    Q_OBJECT

public:
    explicit ShaderPage(QWidget* parent = nullptr);

    QString title() const override;
    void applyToConfig() override;

public slots:
    void applyToUi() override;

private:
    QCheckBox* m_enable = nullptr;
    QCheckBox* m_fbo = nullptr;
    QTextEdit* m_header = nullptr;
    QTextEdit* m_sample = nullptr;
    QTextEdit* m_postProcess = nullptr;
};
