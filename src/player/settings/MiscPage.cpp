#include "MiscPage.h"

#include "player/Config.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

namespace {

// Two controls side by side in one cell of the grid.
QHBoxLayout* Pair(QWidget* first, QWidget* second, QWidget* between = nullptr)
{
    auto* row = new QHBoxLayout();
    row->addWidget(first);
    if (between != nullptr)
        row->addWidget(between);
    row->addWidget(second);
    return row;
}

} // namespace

MiscPage::MiscPage(QWidget* parent)
    : ConfigPageBase(parent)
{
    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    int row = 0;

    m_previewOn = new QCheckBox(tr("Preview"), this);
    m_previewOn->setObjectName(QStringLiteral("previewEnabled"));
    grid->addWidget(m_previewOn, row++, 0);

    m_previewWidth = new QSpinBox(this);
    m_previewWidth->setObjectName(QStringLiteral("previewWidth"));
    m_previewWidth->setRange(1, 1920);
    m_previewHeight = new QSpinBox(this);
    m_previewHeight->setObjectName(QStringLiteral("previewHeight"));
    m_previewHeight->setRange(1, 1080);
    grid->addWidget(new QLabel(QStringLiteral("%1 %2: ").arg(tr("Preview"), tr("size")), this), row, 0);
    grid->addLayout(Pair(m_previewWidth, m_previewHeight, new QLabel(QStringLiteral("x"), this)), row++, 1);

    m_fps = new QDoubleSpinBox(this);
    m_fps->setObjectName(QStringLiteral("forceFrameRate"));
    m_fps->setMinimum(-m_fps->maximum());
    m_fps->setToolTip(QStringLiteral("<= 0: ") + tr("Ignore"));
    grid->addWidget(new QLabel(tr("Force fps"), this), row, 0);
    grid->addWidget(m_fps, row++, 1);

    // Shown for its place among the settings; the player takes no interval.
    m_notifyInterval = new QSpinBox(this);
    m_notifyInterval->setEnabled(false);
    grid->addWidget(new QLabel(tr("Progress update interval") + QStringLiteral("(ms)"), this), row, 0);
    grid->addWidget(m_notifyInterval, row++, 1);

    m_bufferValue = new QSpinBox(this);
    m_bufferValue->setObjectName(QStringLiteral("bufferValue"));
    m_bufferValue->setRange(-1, 32767);
    m_bufferValue->setToolTip(QStringLiteral("-1: auto"));
    grid->addWidget(new QLabel(tr("Buffer frames"), this), row, 0);
    grid->addWidget(m_bufferValue, row++, 1);

    m_timeout = new QDoubleSpinBox(this);
    m_timeout->setObjectName(QStringLiteral("timeout"));
    m_timeout->setDecimals(3);
    m_timeout->setSingleStep(1.0);
    m_timeout->setMinimum(-0.5);
    m_timeout->setToolTip(QStringLiteral("<=0: never"));
    m_timeoutAbort = new QCheckBox(tr("Abort"), this);
    m_timeoutAbort->setObjectName(QStringLiteral("abortOnTimeout"));
    grid->addWidget(new QLabel(QStringLiteral("%1(%2)").arg(tr("Timeout"), tr("s")), this), row, 0);
    grid->addLayout(Pair(m_timeout, m_timeoutAbort), row++, 1);

    m_openGL = new QComboBox(this);
    m_openGL->setObjectName(QStringLiteral("openGLType"));
    const char* const types[] = { "Auto", "Desktop", "OpenGLES", "Software" };
    for (int type = 0; type < 4; ++type)
        m_openGL->addItem(QLatin1String(types[type]), type);
    m_openGL->setToolTip(tr("Windows only") + QStringLiteral(" Qt>=5.4 + dynamicgl") + QLatin1Char('\n')
        + tr("OpenGLES is Used by DXVA Zero Copy"));
    m_anglePlatform = new QComboBox(this);
    m_anglePlatform->setObjectName(QStringLiteral("ANGLEPlatform"));
    m_anglePlatform->addItems(
        { QStringLiteral("D3D9"), QStringLiteral("D3D11"), QStringLiteral("AUTO"), QStringLiteral("WARP") });
    m_anglePlatform->setToolTip(tr("D3D9 has performance if ZeroCopy is disabled or for software decoders")
        + QLatin1Char('\n') + tr("RESTART REQUIRED"));
    grid->addWidget(new QLabel(tr("OpenGL type"), this), row, 0);
    grid->addWidget(m_openGL, row, 1);
    grid->addWidget(m_anglePlatform, row++, 2);

    m_egl = new QCheckBox(this);
    m_egl->setObjectName(QStringLiteral("EGL"));
    m_egl->setEnabled(false);
    m_egl->setToolTip(tr("Currently only works for Qt>=5.5 XCB build"));
    grid->addWidget(new QLabel(QStringLiteral("EGL"), this), row, 0);
    grid->addWidget(m_egl, row++, 1);

    m_log = new QComboBox(this);
    m_log->setObjectName(QStringLiteral("logLevel"));
    m_log->addItems(
        { QStringLiteral("off"), QStringLiteral("warning"), QStringLiteral("debug"), QStringLiteral("all") });
    grid->addWidget(new QLabel(QStringLiteral("Log"), this), row, 0);
    grid->addWidget(m_log, row++, 1);
}

QString MiscPage::title() const
{
    return tr("Misc");
}

void MiscPage::applyToConfig()
{
    Config::instance()
        .setPreviewEnabled(m_previewOn->isChecked())
        .setPreviewWidth(m_previewWidth->value())
        .setPreviewHeight(m_previewHeight->value())
        .setEGL(m_egl->isChecked())
        .setOpenGLType(static_cast<Config::OpenGLType>(m_openGL->currentData().toInt()))
        .setANGLEPlatform(m_anglePlatform->currentText().toLower())
        .setForceFrameRate(m_fps->value())
        .setBufferValue(m_bufferValue->value())
        .setTimeout(m_timeout->value())
        .setAbortOnTimeout(m_timeoutAbort->isChecked())
        .setLogLevel(m_log->currentText().toLower());
}

void MiscPage::applyToUi()
{
    const Config& config = Config::instance();
    m_previewOn->setChecked(config.previewEnabled());
    m_previewWidth->setValue(config.previewWidth());
    m_previewHeight->setValue(config.previewHeight());
    m_egl->setChecked(config.isEGL());
    m_openGL->setCurrentIndex(m_openGL->findData(static_cast<int>(config.openGLType())));
    m_anglePlatform->setCurrentIndex(
        m_anglePlatform->findText(config.getANGLEPlatform().toUpper(), Qt::MatchFixedString));
    m_fps->setValue(config.forceFrameRate());
    m_bufferValue->setValue(config.bufferValue());
    m_timeout->setValue(config.timeout());
    m_timeoutAbort->setChecked(config.abortOnTimeout());
    m_log->setCurrentIndex(m_log->findText(config.logLevel().toLower(), Qt::MatchFixedString));
}
