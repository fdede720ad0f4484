#include "ClientApp.h"

#include "AppFonts.h"
#include "AppResources.h"
#include "DebugLog.h"
#include "DisplayScale.h"
#include "DownldManager.h"
#include "HttpClient.h"
#include "MainWindow.h"
#include "Nexus.h"
#include "Profile.h"
#include "QtTranslations.h"
#include "UserSettings.h"
#include "downLoadExeFile.h"
#include "entry/NewLoginWidget.h"
#include "platform/ScreenShot.h"
#include "session/DataManager.h"
#include "ui/chatArea/ChatWidget.h"

#include <QApplication>
#include <QDebug>
#include <QFont>
#include <QIcon>
#include <QThread>
#include <atomic>

namespace {
// Set once the main window exists; read by the screenshot callback, which
// always runs in the GUI thread.
std::atomic<MainWindow*> s_mainWindow { nullptr };
} // namespace

void OnScreenShotSendCallBack(const char* path)
{
    const QString file = QString::fromLocal8Bit(path ? path : "");
    qDebug() << "in OnScreenShotSendCallBack, OnScreenShotSendCallBack value :" << file;
    if (!s_mainWindow.load())
        return;
    if (ChatWidget* chat = Nexus::GetChatWidget())
        chat->OnUploadChatImage(file);
}

ClientApp::~ClientApp()
{
    Stop();
}

void ClientApp::Start(const QString& scaleText)
{
    if (m_started)
        return;
    m_started = true;

    if (UserSettings::Text(UserSettings::EnableDebug) == QLatin1String("1"))
        DebugLog::Setup();
    else
        UserSettings::SetValue(UserSettings::EnableDebug, QStringLiteral("0"));

    SetScreenShotSend(&OnScreenShotSendCallBack);
    // Test deployments may name one more CA; verification stays on.
    HttpClient::TrustExtraCaFromEnvironment();

    AppFonts::Install();
    AppResources::Init();
    QtTranslations::Install();
    QApplication::setFont(QFont(QStringLiteral("Microsoft YaHei UI")));
    qDebug() << "main thread:" << QThread::currentThreadId();

    Nexus::Instance();
    Nexus::Startup();
    Profile* profile = Nexus::GetProfile();

    const DisplayScale::Scale scale = DisplayScale::FromText(scaleText);
    profile->SetScale(scale.factor, scale.folder);
    qDebug() << qPrintable(QStringLiteral("current scale value ") + scale.label);

    m_mainWindow = new MainWindow();
    m_mainWindow->resize(1000, 640);
    m_mainWindow->setMinimumWidth(1000);
    m_mainWindow->setMinimumHeight(640);
    m_mainWindow->hide();
    s_mainWindow.store(m_mainWindow);

    profile->StartThreads();

    if (DataManager* data = Nexus::GetDataManager())
        data->DownloadServConfig();

    m_mainWindow->RegisterToNexus();
    m_mainWindow->SecondSetup();

    if (NewLoginWidget* login = m_mainWindow->GetLoginWidget())
        login->hide();
    if (DownldManager* downloads = Nexus::GetDownldManager())
        emit downloads->GetUserISPInfo();

    OfferUpdate();

    QApplication::setWindowIcon(QIcon(QStringLiteral(":/resource/others/dravona.ico")));
}

void ClientApp::OfferUpdate()
{
    NewLoginWidget* login = m_mainWindow->GetLoginWidget();
    DataManager* data = Nexus::GetDataManager();
    if (!data || !data->VersionCheck()) {
        qDebug() << "no need update .";
        if (login)
            login->ShowLogin();
        return;
    }
    // Made only when an update is offered: most starts never show it.
    if (!m_updater) {
        m_updater = new downLoadExeFile();
        m_updater->hide();
    }
    Profile* profile = Nexus::GetProfile();
    const QString url = profile->GetUrl(ClassServerProperty::UpdateDownload);
    if (m_updater->HasFileName(url)) {
        m_updater->SetUrl(url);
        m_updater->ShowUpdateInfo();
        return;
    }
    qDebug() << " downLoadExeFile, filename is empty";
    // Never leave the program without a window: an optional update is
    // skipped, a compulsory one shows why it cannot go on.
    if (!profile->GetUpdateForce()) {
        if (login)
            login->ShowLogin();
        return;
    }
    m_updater->ShowUpdateInfo();
    m_updater->ShowFailure();
}

void ClientApp::Stop()
{
    if (!m_started)
        return;
    m_started = false;
    delete m_updater;
    m_updater = nullptr;
    delete m_mainWindow;
    m_mainWindow = nullptr;
    DebugLog::Shutdown();
}
