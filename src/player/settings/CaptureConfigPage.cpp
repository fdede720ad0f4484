#include "CaptureConfigPage.h"

#include "player/Config.h"
#include "player/Slider.h"

#include <QComboBox>
#include <QDebug>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QLineEdit>
#include <QToolButton>
#include <QUrl>

CaptureConfigPage::CaptureConfigPage(QWidget* parent)
    : ConfigPageBase(parent)
{
    auto* form = new QFormLayout(this);

    m_dirEdit = new QLineEdit(this);
    m_dirEdit->setObjectName(QStringLiteral("captureDir"));
    m_dirEdit->setEnabled(false);
    // A long folder is cut in the box: the whole of it is one hover away.
    connect(m_dirEdit, &QLineEdit::textChanged, m_dirEdit, &QLineEdit::setToolTip);
    auto* chooseButton = new QToolButton(this);
    chooseButton->setObjectName(QStringLiteral("selectSaveDir"));
    chooseButton->setText(QStringLiteral("..."));
    auto* browseButton = new QToolButton(this);
    browseButton->setObjectName(QStringLiteral("browseCaptureDir"));
    browseButton->setText(tr("Browse"));
    auto* dirRow = new QHBoxLayout();
    dirRow->addWidget(m_dirEdit);
    dirRow->addWidget(chooseButton);
    dirRow->addWidget(browseButton);
    form->addRow(tr("Save dir"), dirRow);
    connect(chooseButton, &QToolButton::clicked, this, &CaptureConfigPage::selectSaveDir);
    connect(browseButton, &QToolButton::clicked, this, &CaptureConfigPage::browseCaptureDir);

    m_formatBox = new QComboBox(this);
    m_formatBox->setObjectName(QStringLiteral("captureFormat"));
    m_formatBox->addItem(QStringLiteral("Original"));
    for (const QByteArray& format : QImageWriter::supportedImageFormats())
        m_formatBox->addItem(QString::fromLatin1(format));
    form->addRow(tr("Save format"), m_formatBox);

    m_qualitySlider = new Slider(this);
    m_qualitySlider->setObjectName(QStringLiteral("captureQuality"));
    m_qualitySlider->setOrientation(Qt::Horizontal);
    m_qualitySlider->setRange(0, 100);
    m_qualitySlider->setSingleStep(1);
    m_qualitySlider->setTickInterval(10);
    m_qualitySlider->setTickPosition(QSlider::TicksBelow);
    form->addRow(tr("Quality"), m_qualitySlider);

    connect(&Config::instance(), &Config::captureDirChanged, m_dirEdit, &QLineEdit::setText);
    connect(&Config::instance(), &Config::captureQualityChanged, m_qualitySlider, &QSlider::setValue);
}

QString CaptureConfigPage::title() const
{
    return tr("Capture");
}

void CaptureConfigPage::applyToConfig()
{
    Config::instance()
        .setCaptureDir(m_dirEdit->text())
        .setCaptureFormat(m_formatBox->currentText())
        .setCaptureQuality(m_qualitySlider->value());
}

void CaptureConfigPage::applyToUi()
{
    const Config& config = Config::instance();
    m_dirEdit->setText(config.captureDir());
    m_qualitySlider->setValue(config.captureQuality());
    const int format = m_formatBox->findText(config.captureFormat(), Qt::MatchFixedString);
    if (format >= 0)
        m_formatBox->setCurrentIndex(format);
}

void CaptureConfigPage::selectSaveDir()
{
    const QString dir = QFileDialog::getExistingDirectory(this, tr("Save dir"), m_dirEdit->text());
    if (!dir.isEmpty())
        m_dirEdit->setText(dir);
}

void CaptureConfigPage::browseCaptureDir()
{
    qDebug("browse capture dir");
    // A local folder as a proper file address, never "file:///" glued to
    // an absolute path.
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_dirEdit->text()));
}
