#include "AVFilterConfigPage.h"

#include "player/Config.h"
#include "player/av/AVFilterRegistry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QTextEdit>

AVFilterConfigPage::AVFilterConfigPage(QWidget* parent)
    : ConfigPageBase(parent)
{
    setObjectName(QStringLiteral("avfilter"));
    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    m_video = addGroup(
        QStringLiteral("video"), plxav::AVFilterRegistry::videoFilters(), QStringLiteral("example: negate"), 0);
    m_audio = addGroup(QStringLiteral("audio"), plxav::AVFilterRegistry::audioFilters(),
        QStringLiteral("example: volume=volume=2.0"), 5);
    connect(m_video.name, &QComboBox::currentTextChanged, this, &AVFilterConfigPage::videoFilterChanged);
    connect(m_audio.name, &QComboBox::currentTextChanged, this, &AVFilterConfigPage::audioFilterChanged);
    // The first filter of each list is described from the start.
    videoFilterChanged(m_video.name->currentText());
    audioFilterChanged(m_audio.name->currentText());
}

AVFilterConfigPage::Group AVFilterConfigPage::addGroup(
    const QString& type, const QStringList& filters, const QString& example, int row)
{
    auto* grid = static_cast<QGridLayout*>(layout());
    const QString group = type == QLatin1String("video") ? tr("Video") : tr("Audio");
    Group controls;
    controls.enable = new QCheckBox(tr("Enable") + QLatin1Char(' ') + group, this);
    controls.enable->setObjectName(type + QStringLiteral("Enable"));
    grid->addWidget(controls.enable, row, 0);
    controls.name = new QComboBox(this);
    controls.name->setObjectName(type + QStringLiteral("Filters"));
    controls.name->addItems(filters);
    controls.name->setToolTip(QStringLiteral("%1 %2 %3").arg(tr("Registered"), group, tr("filters")));
    grid->addWidget(controls.name, row + 1, 0);
    // Two lines in the width of the graph's box hold the library's longest
    // descriptions. The label sits in a box of that fixed size: a wrapping
    // label in the grid would make the page's height depend on its width,
    // and the dialog would then size itself by the page shown, cutting the
    // tabs off.
    auto* descriptionBox = new QWidget(this);
    descriptionBox->setFixedSize(300, fontMetrics().lineSpacing() * 2 + 2);
    controls.description = new QLabel(descriptionBox);
    controls.description->setObjectName(type + QStringLiteral("Description"));
    controls.description->setTextFormat(Qt::PlainText);
    controls.description->setWordWrap(true);
    controls.description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    controls.description->setGeometry(descriptionBox->rect());
    grid->addWidget(descriptionBox, row + 2, 0);
    grid->addWidget(new QLabel(tr("Parameters"), this), row + 3, 0);
    controls.options = new QTextEdit(this);
    controls.options->setObjectName(type + QStringLiteral("Options"));
    controls.options->setAcceptRichText(false);
    controls.options->setMaximumSize(300, 50);
    controls.options->setToolTip(example);
    grid->addWidget(controls.options, row + 4, 0);
    return controls;
}

QString AVFilterConfigPage::title() const
{
    return QStringLiteral("AVFilter");
}

void AVFilterConfigPage::applyToConfig()
{
    Config::instance()
        .setAvfilterVideoOptions(m_video.options->toPlainText())
        .setAvfilterVideoEnable(m_video.enable->isChecked())
        .setAvfilterAudioOptions(m_audio.options->toPlainText())
        .setAvfilterAudioEnable(m_audio.enable->isChecked());
}

void AVFilterConfigPage::applyToUi()
{
    const Config& config = Config::instance();
    m_video.options->setPlainText(config.avfilterVideoOptions());
    m_video.enable->setChecked(config.avfilterVideoEnable());
    m_audio.options->setPlainText(config.avfilterAudioOptions());
    m_audio.enable->setChecked(config.avfilterAudioEnable());
}

void AVFilterConfigPage::audioFilterChanged(const QString& name)
{
    m_audio.description->setText(plxav::AVFilterRegistry::description(name));
}

void AVFilterConfigPage::videoFilterChanged(const QString& name)
{
    m_video.description->setText(plxav::AVFilterRegistry::description(name));
}
