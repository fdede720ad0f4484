#include "AVFormatConfigPage.h"

#include "player/Config.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <limits>

AVFormatConfigPage::AVFormatConfigPage(QWidget* parent)
    : ConfigPageBase(parent)
{
    setObjectName(QStringLiteral("avformat"));
    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    m_on = new QCheckBox(QStringLiteral("%1 avformat %2").arg(tr("Enable"), tr("options")), this);
    m_on->setObjectName(QStringLiteral("avformatOptionsEnabled"));
    grid->addWidget(m_on, 0, 0);
    m_direct = new QCheckBox(tr("Reduce buffering"), this);
    m_direct->setObjectName(QStringLiteral("reduceBuffering"));
    grid->addWidget(m_direct, 1, 0);

    m_probeSize = new QSpinBox(this);
    m_probeSize->setObjectName(QStringLiteral("probeSize"));
    m_probeSize->setRange(0, std::numeric_limits<int>::max());
    m_probeSize->setToolTip(tr("0: auto"));
    grid->addWidget(new QLabel(tr("Probe size"), this), 2, 0);
    grid->addWidget(m_probeSize, 2, 1);

    m_analyzeDuration = new QSpinBox(this);
    m_analyzeDuration->setObjectName(QStringLiteral("analyzeDuration"));
    m_analyzeDuration->setRange(0, std::numeric_limits<int>::max());
    m_analyzeDuration->setToolTip(tr("0: auto. how many microseconds are analyzed to probe the input"));
    grid->addWidget(new QLabel(tr("Max analyze duration"), this), 3, 0);
    grid->addWidget(m_analyzeDuration, 3, 1);

    m_extra = new QLineEdit(this);
    m_extra->setObjectName(QStringLiteral("avformatExtra"));
    m_extra->setToolTip(QStringLiteral("key1=value1 key2=value2 ..."));
    grid->addWidget(new QLabel(tr("Extra"), this), 4, 0);
    grid->addWidget(m_extra, 4, 1);
}

QString AVFormatConfigPage::title() const
{
    return tr("AVFormat");
}

void AVFormatConfigPage::applyToConfig()
{
    Config::instance()
        .setAvformatOptionsEnabled(m_on->isChecked())
        .setReduceBuffering(m_direct->isChecked())
        .setProbeSize(m_probeSize->value())
        .setAnalyzeDuration(m_analyzeDuration->value())
        .setAvformatExtra(m_extra->text());
}

void AVFormatConfigPage::applyToUi()
{
    const Config& config = Config::instance();
    m_on->setChecked(config.avformatOptionsEnabled());
    m_direct->setChecked(config.reduceBuffering());
    m_probeSize->setValue(config.probeSize());
    m_analyzeDuration->setValue(config.analyzeDuration());
    m_extra->setText(config.avformatExtra());
}
