#include "ShaderPage.h"

#include "player/Config.h"

#include <QCheckBox>
#include <QLabel>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

QTextEdit* CodeBox(const QString& name, QWidget* parent)
{
    auto* box = new QTextEdit(parent);
    box->setObjectName(name);
    box->setAcceptRichText(false);
    box->setMaximumHeight(100);
    return box;
}

} // namespace

ShaderPage::ShaderPage(QWidget* parent)
    : ConfigPageBase(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setSizeConstraint(QLayout::SetMaximumSize);
    m_enable = new QCheckBox(tr("Enable"), this);
    m_enable->setObjectName(QStringLiteral("userShaderEnabled"));
    column->addWidget(m_enable);
    m_fbo = new QCheckBox(tr("Intermediate FBO"), this);
    m_fbo->setObjectName(QStringLiteral("intermediateFBO"));
    column->addWidget(m_fbo);
    column->addWidget(new QLabel(tr("Fragment shader header"), this));
    m_header = CodeBox(QStringLiteral("fragHeader"), this);
    m_header->setToolTip(tr("Additional header code"));
    column->addWidget(m_header);
    column->addWidget(new QLabel(tr("Fragment shader texel sample function"), this));
    m_sample = CodeBox(QStringLiteral("fragSample"), this);
    m_sample->setToolTip(QStringLiteral("vec4 sample2d(sampler2D tex, vec2 pos, int p)"));
    column->addWidget(m_sample);
    column->addWidget(new QLabel(QStringLiteral("Fragment shader RGB post process code"), this));
    m_postProcess = CodeBox(QStringLiteral("fragPostProcess"), this);
    column->addWidget(m_postProcess);
    column->addStretch();
}

QString ShaderPage::title() const
{
    return tr("Shader");
}

void ShaderPage::applyToConfig()
{
    Config::instance()
        .setUserShaderEnabled(m_enable->isChecked())
        .setIntermediateFBO(m_fbo->isChecked())
        .setFragHeader(m_header->toPlainText())
        .setFragSample(m_sample->toPlainText())
        .setFragPostProcess(m_postProcess->toPlainText());
}

void ShaderPage::applyToUi()
{
    const Config& config = Config::instance();
    m_enable->setChecked(config.userShaderEnabled());
    m_fbo->setChecked(config.intermediateFBO());
    m_header->setPlainText(config.fragHeader());
    m_sample->setPlainText(config.fragSample());
    m_postProcess->setPlainText(config.fragPostProcess());
}
