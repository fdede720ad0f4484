#include "VideoEQConfigPage.h"

#include "player/Slider.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace {

const char* EngineName(int engine)
{
    switch (engine) {
    case 0:
        return "libswscale";
    case 1:
        return "GLSL";
    case 2:
        return "XV";
    default:
        return nullptr;
    }
}

} // namespace

VideoEQConfigPage::VideoEQConfigPage(QWidget* parent)
    : QWidget(parent)
{
    auto* grid = new QGridLayout(this);
    m_engineBox = new QComboBox(this);
    m_engineBox->setObjectName(QStringLiteral("engine"));
    grid->addWidget(new QLabel(tr("Engine"), this), 0, 0);
    grid->addWidget(m_engineBox, 0, 1);

    const struct {
        const char* label;
        const char* name;
        Slider** slider;
        void (VideoEQConfigPage::*signal)(int);
    } rows[] = {
        { QT_TR_NOOP("Brightness"), "brightness", &m_brightnessSlider, &VideoEQConfigPage::brightnessChanged },
        { QT_TR_NOOP("Constrast"), "contrast", &m_contrastSlider, &VideoEQConfigPage::contrastChanged },
        { QT_TR_NOOP("Hue"), "hue", &m_hueSlider, &VideoEQConfigPage::hueChanegd },
        { QT_TR_NOOP("Saturation"), "saturation", &m_saturationSlider, &VideoEQConfigPage::saturationChanged },
    };
    int row = 1;
    for (const auto& entry : rows) {
        auto* slider = new Slider(this);
        slider->setObjectName(QLatin1String(entry.name));
        slider->setOrientation(Qt::Horizontal);
        slider->setTickInterval(2);
        slider->setRange(-100, 100);
        slider->setValue(0);
        connect(slider, &QSlider::valueChanged, this, entry.signal);
        *entry.slider = slider;
        grid->addWidget(new QLabel(tr(entry.label), this), row, 0);
        grid->addWidget(slider, row++, 1);
    }

    m_globalBox = new QCheckBox(tr("Global"), this);
    m_globalBox->setEnabled(false);
    m_globalBox->setChecked(false);
    connect(m_globalBox, &QCheckBox::toggled, this, &VideoEQConfigPage::onGlobalSet);
    m_resetButton = new QPushButton(tr("Reset"), this);
    m_resetButton->setObjectName(QStringLiteral("reset"));
    connect(m_resetButton, &QPushButton::clicked, this, &VideoEQConfigPage::onReset);
    grid->addWidget(m_globalBox, row, 0, Qt::AlignLeft);
    grid->addWidget(m_resetButton, row, 1, Qt::AlignRight);

    setEngines({ 0 });
    connect(m_engineBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &VideoEQConfigPage::onEngineChangedByUI);
}

void VideoEQConfigPage::setEngines(const QList<int>& engines)
{
    const QSignalBlocker quiet(m_engineBox);
    m_engineBox->clear();
    m_engines.clear();
    // An engine without a name has no entry, and so is not offered: the
    // box's entries stay at the positions of the list.
    for (int engine : engines) {
        if (EngineName(engine) != nullptr)
            m_engines << engine;
    }
    std::sort(m_engines.begin(), m_engines.end());
    for (int engine : qAsConst(m_engines))
        m_engineBox->addItem(QLatin1String(EngineName(engine)), engine);
    // The box shows the current engine, not merely the first offered.
    m_engineBox->setCurrentIndex(m_engines.indexOf(m_engine));
}

void VideoEQConfigPage::setEngine(int engine)
{
    if (engine == m_engine)
        return;
    m_engine = engine;
    if (!m_engines.isEmpty()) {
        const QSignalBlocker quiet(m_engineBox);
        m_engineBox->setCurrentIndex(m_engines.indexOf(engine));
    }
    emit engineChanged();
}

qreal VideoEQConfigPage::brightness() const
{
    return m_brightnessSlider->value() / 100.0;
}

qreal VideoEQConfigPage::contrast() const
{
    return m_contrastSlider->value() / 100.0;
}

qreal VideoEQConfigPage::hue() const
{
    return m_hueSlider->value() / 100.0;
}

qreal VideoEQConfigPage::saturation() const
{
    return m_saturationSlider->value() / 100.0;
}

void VideoEQConfigPage::onGlobalSet(bool)
{ }

void VideoEQConfigPage::onReset()
{
    m_brightnessSlider->setValue(0);
    m_contrastSlider->setValue(0);
    m_saturationSlider->setValue(0);
    m_hueSlider->setValue(0);
}

void VideoEQConfigPage::onEngineChangedByUI()
{
    const int index = m_engineBox->currentIndex();
    if (index < 0 || index >= m_engines.size())
        return;
    m_engine = m_engines.at(index);
    emit engineChanged();
}
