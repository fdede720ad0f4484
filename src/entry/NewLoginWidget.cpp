#include "NewLoginWidget.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "session/DataManager.h"

#include <QComboBox>
#include <QDebug>
#include <QLabel>
#include <QVBoxLayout>

NewLoginWidget::NewLoginWidget(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("NewLoginWidget"));
    setWindowFlags(Qt::FramelessWindowHint);
    resize(696, 445);
    m_nodes = new QComboBox(this);
    m_error = new QLabel(this);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(m_nodes);
    layout->addWidget(m_error);
    connect(this, &NewLoginWidget::DownloadCfgFinished, this, &NewLoginWidget::OnDownloadCfgFinished);
}

void NewLoginWidget::ShowLogin()
{
    if (parentWidget() != nullptr)
        setParent(nullptr, windowFlags());
    OnDownloadCfgFinished();
    show();
    raise();
    activateWindow();
}

void NewLoginWidget::OnDownloadCfgFinished()
{
    if (Nexus::GetProfile() == nullptr)
        return;
    m_nodes->clear();
    m_nodes->addItem(QStringLiteral("Auto"));
    qDebug() << "into NewLoginWidget::OnDownloadCfgFinished, node count:" << m_nodes->count();
}

void NewLoginWidget::OnUsrLogin()
{
    Profile* profile = Nexus::GetProfile();
    if (profile == nullptr)
        return;
    m_error->clear();
    QString url = profile->GetUrl(ClassServerProperty::UserLogin);
    if (url.isEmpty()) {
        if (DataManager* data = Nexus::GetDataManager())
            data->ReadServConfigBackup();
        url = profile->GetUrl(ClassServerProperty::UserLogin);
    }
    if (url.isEmpty()) {
        m_error->setText(QStringLiteral("获取配置异常,关闭后重试"));
        return;
    }
    qDebug() << "into NewLoginWidget::OnUsrLogin, url:" << url;
}
