#include "ConfigDialog.h"

#include "AVFilterConfigPage.h"
#include "AVFormatConfigPage.h"
#include "CaptureConfigPage.h"
#include "DecoderConfigPage.h"
#include "MiscPage.h"
#include "ShaderPage.h"
#include "player/Config.h"

#include <QApplication>
#include <QDebug>
#include <QDialogButtonBox>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

ConfigDialog* ConfigDialog::display()
{
    static QPointer<ConfigDialog> dialog;
    if (dialog.isNull()) {
        dialog = new ConfigDialog();
        // A top-level widget must go before the application does.
        connect(qApp, &QCoreApplication::aboutToQuit, [] { delete dialog.data(); });
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

ConfigDialog::ConfigDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Setup"));
    auto* column = new QVBoxLayout(this);
    column->setSizeConstraint(QLayout::SetFixedSize);
    m_content = new QTabWidget(this);
    m_content->setTabPosition(QTabWidget::West);
    // Every tab in view: the dialog is as tall as its tabs need.
    m_content->tabBar()->setUsesScrollButtons(false);
    m_buttonBox = new QDialogButtonBox(Qt::Horizontal, this);
    m_buttonBox->addButton(tr("Reset"), QDialogButtonBox::ResetRole);
    m_buttonBox->addButton(tr("Ok"), QDialogButtonBox::AcceptRole);
    m_buttonBox->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    m_buttonBox->addButton(tr("Apply"), QDialogButtonBox::ApplyRole);
    connect(m_buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_buttonBox, &QDialogButtonBox::clicked, this, &ConfigDialog::onButtonClicked);
    column->addWidget(m_content);
    column->addWidget(m_buttonBox);

    auto* shader = new ShaderPage(m_content);
    auto* filter = new AVFilterConfigPage(m_content);
    auto* format = new AVFormatConfigPage(m_content);
    auto* decoder = new DecoderConfigPage(m_content);
    auto* capture = new CaptureConfigPage(m_content);
    auto* misc = new MiscPage(m_content);
    m_pages = { misc, capture, decoder, format, filter, shader };
    for (ConfigPageBase* page : qAsConst(m_pages)) {
        page->applyToUi();
        page->setApplyOnUiChange(false);
        m_content->addTab(page, page->title());
    }
}

void ConfigDialog::onButtonClicked(QAbstractButton* btn)
{
    const QDialogButtonBox::ButtonRole role = m_buttonBox->buttonRole(btn);
    qDebug("QDialogButtonBox clicked role=%d", role);
    switch (role) {
    case QDialogButtonBox::AcceptRole:
    case QDialogButtonBox::ApplyRole:
        qDebug("QDialogButtonBox ApplyRole clicked");
        onApply();
        break;
    case QDialogButtonBox::RejectRole:
    case QDialogButtonBox::DestructiveRole:
        onCancel();
        break;
    case QDialogButtonBox::ResetRole:
        qDebug("QDialogButtonBox ResetRole clicked");
        onReset();
        break;
    default:
        break;
    }
}

void ConfigDialog::onApply()
{
    for (ConfigPageBase* page : qAsConst(m_pages))
        page->apply();
    Config::instance().save();
}

void ConfigDialog::onCancel()
{
    for (ConfigPageBase* page : qAsConst(m_pages))
        page->cancel();
}

void ConfigDialog::onReset()
{
    Config::instance().reset();
    for (ConfigPageBase* page : qAsConst(m_pages))
        page->reset();
}
