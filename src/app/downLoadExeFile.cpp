#include "downLoadExeFile.h"

#include "AppPaths.h"
#include "MainWindow.h"
#include "Nexus.h"
#include "Profile.h"
#include "entry/NewLoginWidget.h"
#include "platform/FramelessWindow.h"
#include "platform/Shell.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QMouseEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <climits>

namespace {

const QRect kTitleGeometry(50, 35, 231, 27);
// The failure text takes the title's place and the message's room below
// it, left of the picture, in the message's font, so all of it is read.
const QRect kFailureGeometry(50, 35, 380, 212);
const char kTitleStyle[] = "color:#ffffff; font:28px \"Microsoft YaHei\";";
const char kFailureStyle[] = "color:#ffffff; font:16px \"Microsoft YaHei\";";
const char kPartSuffix[] = ".part";

// Larger than any installer of the client: a broken or hostile server
// must not fill the disk.
const qint64 kMaxInstallerBytes = qint64(512) * 1024 * 1024;

QString FailureText()
{
    return QStringLiteral("自动更新失败.\n请手动下载安装.");
}

// The complete installer that the desktop would not run.
QString HandOverFailureText(const QString& path)
{
    const QFileInfo file(path);
    return QStringLiteral("自动更新失败.\n安装程序已下载到:\n%1\n文件名: %2\n请打开该文件夹手动安装.")
        .arg(QDir::toNativeSeparators(file.absolutePath()), file.fileName());
}

QString DownloadFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return folder.isEmpty() ? QDir::homePath() : folder;
}

} // namespace

downLoadExeFile::downLoadExeFile(QWidget* parent)
    : QFrame(parent)
    , m_quit([] { QCoreApplication::quit(); })
{
    SetupForm();
    setObjectName(QStringLiteral("downLoadExeFile"));
    setStyleSheet(QStringLiteral("#downLoadExeFile{background:rgb(255,255,255);}"));
    FramelessWindow::makeFrameless(this);
    // The system's shadow around the frameless window, where there is one.
    FramelessWindow::extendFrameIntoClientArea(this);
    m_form.progressBar->setValue(0);
    m_form.progressBar->setTextVisible(false);
    m_form.progressBar->hide();
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setOffset(2, 2);
    shadow->setColor(Qt::gray);
    shadow->setBlurRadius(5);
    setGraphicsEffect(shadow);
    connect(m_form.btnClose, &QPushButton::clicked, this, &downLoadExeFile::OnClose);
    connect(m_form.btnMin, &QPushButton::clicked, this, &QWidget::showMinimized);
    QMetaObject::connectSlotsByName(this);
    m_manager = new QNetworkAccessManager(this);
    show();
}

downLoadExeFile::~downLoadExeFile()
{
    // A download still running leaves no partial file behind.
    if (m_reply) {
        m_cancel = true;
        m_reply->abort();
    }
    DropFile();
}

void downLoadExeFile::SetupForm()
{
    setWindowTitle(QStringLiteral("普罗维课堂 更新"));
    setFixedSize(598, 365);

    m_form.downloadFrame = new QLabel(this);
    m_form.downloadFrame->setObjectName(QStringLiteral("downloadFrame"));
    m_form.downloadFrame->setGeometry(0, 0, 598, 365);

    m_form.labelD = new QLabel(this);
    m_form.labelD->setObjectName(QStringLiteral("labelD"));

    m_form.progressBar = new QProgressBar(this);
    m_form.progressBar->setObjectName(QStringLiteral("progressBar"));
    m_form.progressBar->setGeometry(49, 310, 475, 14);
    m_form.progressBar->setStyleSheet(
        QStringLiteral("QProgressBar{border:1px solid rgb(255,85,77); border-radius:5px; font:18px;"
                       " background:rgba(255,111,105,22);}"
                       "QProgressBar::chunk{background:#ff554d;}"));

    m_form.labeldownload = new QLabel(QStringLiteral("整体UI更美观！\n登录可以记住密码了"), this);
    m_form.labeldownload->setObjectName(QStringLiteral("labeldownload"));
    // The update's description comes from the server: shown as it stands.
    m_form.labeldownload->setTextFormat(Qt::PlainText);
    m_form.labeldownload->setGeometry(53, 86, 411, 161);
    m_form.labeldownload->setStyleSheet(QStringLiteral("color:#ffffff; font:16px \"Microsoft YaHei\";"));

    m_form.pushButtonOK = new QPushButton(QStringLiteral("升级体验"), this);
    m_form.pushButtonOK->setObjectName(QStringLiteral("pushButtonOK"));
    m_form.pushButtonOK->setGeometry(219, 282, 160, 48);
    m_form.pushButtonOK->setCursor(Qt::PointingHandCursor);
    m_form.pushButtonOK->setStyleSheet(
        QStringLiteral("QPushButton{background:#f74945; border:1px solid #f74945; border-radius:2px;"
                       " color:#ffffff; font:22px \"Microsoft YaHei\";}"
                       "QPushButton:hover{background:#ff9999; border:1px solid #ff9999;}"));

    m_form.btnMin = new QPushButton(this);
    m_form.btnMin->setObjectName(QStringLiteral("btnMin"));
    m_form.btnMin->setGeometry(510, 10, 31, 23);
    m_form.btnMin->setStyleSheet(QStringLiteral("QPushButton{border:none; image:url(:resource/update/min.png);}"
                                                "QPushButton:hover{background:#efefef;}"));

    m_form.btnClose = new QPushButton(this);
    m_form.btnClose->setObjectName(QStringLiteral("btnClose"));
    m_form.btnClose->setGeometry(550, 10, 31, 23);
    m_form.btnClose->setStyleSheet(QStringLiteral("QPushButton{border:none; image:url(:resource/update/close.png);}"
                                                  "QPushButton:hover{background:#efefef;}"));

    m_form.labelDesc = new QLabel(QStringLiteral("已更新0%..."), this);
    m_form.labelDesc->setObjectName(QStringLiteral("labelDesc"));
    m_form.labelDesc->setGeometry(240, 330, 121, 16);
    m_form.labelDesc->setStyleSheet(QStringLiteral("color:#666666; font:14px \"Microsoft YaHei\";"));
    ShowTitle();
}

void downLoadExeFile::SetUrl(const QString& url)
{
    m_url = QUrl(url);
}

bool downLoadExeFile::HasFileName(const QString& url)
{
    // Named by the one helper for downloaded files, so a name from the
    // network never leaves the download folder.
    m_fileName = AppPaths::UrlFileName(url);
    if (m_fileName.isEmpty()) {
        qDebug() << "downLoadExeFile::isFileNameEmpty()==judge fileName is empty !";
        return false;
    }
    return true;
}

void downLoadExeFile::ShowUpdateInfo()
{
    const QPixmap background(QStringLiteral(":resource/update/background.png"));
    m_form.downloadFrame->setPixmap(
        background.scaled(m_form.downloadFrame->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    m_form.labelDesc->hide();

    const Profile* profile = Nexus::GetProfile();
    const QStringList pieces = (profile ? profile->GetUpdateMessage() : QString()).split(QLatin1Char('|'));
    QString text;
    for (int i = 0; i < pieces.size(); ++i) {
        if (pieces.at(i).isEmpty())
            continue;
        if (i > 0)
            text += QLatin1Char('\n');
        text += pieces.at(i);
    }
    m_form.labeldownload->setStyleSheet(QStringLiteral(
        "qproperty-alignment: 'AlignTop | AlignLeft';border:0px;color:#ffffff; font:16px Microsoft YaHei"));
    // Without a message the form's own text stays.
    if (!text.isEmpty())
        m_form.labeldownload->setText(text);
    show();
}

void downLoadExeFile::on_pushButtonOK_clicked()
{
    if (m_reply)
        return;
    const QString folder = DownloadFolder();
    m_filePath = QStringLiteral("%1/%2").arg(folder, m_fileName);
    qDebug() << "create object filename in path:" << m_filePath;
    m_form.pushButtonOK->hide();
    m_form.labelDesc->setText(QStringLiteral("已更新0%..."));
    m_form.labelDesc->show();
    ShowTitle();

    // An installer is only taken over a verified connection.
    if (m_fileName.isEmpty() || m_url.scheme() != QLatin1String("https")) {
        qWarning() << "[ERROR] downLoadExeFile, installer refused, not a secure address:" << m_url.toString();
        ShowFailure();
        return;
    }
    QDir().mkpath(folder);
    DropFile();
    // Written beside the target and renamed only when complete.
    m_file = std::make_unique<QFile>(m_filePath + QLatin1String(kPartSuffix));
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qWarning() << "[ERROR] downLoadExeFile, cannot create:" << m_file->fileName();
        ShowFailure();
        return;
    }
    m_cancel = false;
    m_handOverFailed = false;
    m_written = 0;
    m_writeFailed = false;
    m_form.progressBar->setRange(0, 100);
    m_form.progressBar->setValue(0);
    m_form.progressBar->show();

    QNetworkRequest request(m_url);
    // Redirects may move the file, never to a plain connection.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    // The announced length must be the length of the file itself.
    request.setRawHeader("Accept-Encoding", "identity");
    // A stalled server ends in the failure text, not in a window that
    // waits forever.
    request.setTransferTimeout(m_transferTimeout);
    m_reply = m_manager->get(request);
    connect(m_reply, &QNetworkReply::finished, this, &downLoadExeFile::httpFinished);
    connect(m_reply, &QNetworkReply::readyRead, this, &downLoadExeFile::httpReadyRead);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &downLoadExeFile::updateDataReadProgress);
}

void downLoadExeFile::httpReadyRead()
{
    if (m_cancel || !m_reply || !m_file || m_writeFailed)
        return;
    if (m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 200) {
        qDebug() << "httpReadyRead :download error";
        return;
    }
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if ((announced.isValid() && announced.toLongLong() > kMaxInstallerBytes)
        || m_written + m_reply->bytesAvailable() > kMaxInstallerBytes) {
        qWarning() << "[ERROR] downLoadExeFile, installer larger than" << kMaxInstallerBytes << "bytes";
        m_writeFailed = true;
        m_reply->abort();
        return;
    }
    const QByteArray data = m_reply->readAll();
    if (m_file->write(data) != data.size()) {
        qWarning() << "[ERROR] downLoadExeFile, cannot write:" << m_file->errorString();
        m_writeFailed = true;
        m_reply->abort();
        return;
    }
    m_written += data.size();
}

void downLoadExeFile::updateDataReadProgress(qlonglong bytesRead, qlonglong totalBytes)
{
    // Progress that arrives after the download ended or failed shows
    // nothing.
    if (m_cancel || !m_reply || m_writeFailed)
        return;
    QProgressBar* bar = m_form.progressBar;
    if (totalBytes <= 0) {
        bar->setRange(0, 0);
    } else {
        // The bar counts in int; very large files count in coarser steps.
        int shift = 0;
        while ((totalBytes >> shift) > INT_MAX)
            ++shift;
        bar->setRange(0, int(totalBytes >> shift));
        bar->setValue(int(qBound<qlonglong>(0, bytesRead, totalBytes) >> shift));
    }
    bar->show();
    m_form.labelDesc->setText(QStringLiteral("已更新至") + bar->text() + QStringLiteral("..."));
}

void downLoadExeFile::httpFinished()
{
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    if (!reply)
        return;
    reply->deleteLater();
    if (m_cancel) {
        qDebug() << "downLoadExeFile::httpFinished()===update cancel !";
        DropFile();
        hide();
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 200 && reply->error() == QNetworkReply::NoError && reply->bytesAvailable() > 0) {
        m_reply = reply;
        httpReadyRead();
        m_reply = nullptr;
    }
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    const bool whole = !announced.isValid() || announced.toLongLong() == m_written;
    if (reply->error() != QNetworkReply::NoError || status != 200 || m_writeFailed || !whole || !m_file
        || !m_file->flush()) {
        qDebug() << "httpFinished:download error" << status << reply->errorString() << ",written:" << m_written
                 << ",announced:" << announced;
        ShowFailure();
        return;
    }
    m_file->close();
    const QString part = m_file->fileName();
    m_file.reset();
    QFile::remove(m_filePath);
    if (!QFile::rename(part, m_filePath)) {
        qWarning() << "[ERROR] downLoadExeFile, cannot rename:" << part;
        QFile::remove(part);
        ShowFailure();
        return;
    }
    hide();
    qDebug() << "start finename = " << m_filePath;
    Launch();
}

void downLoadExeFile::Launch()
{
    const QString quoted = QLatin1Char('"') + m_filePath + QLatin1Char('"');
    const QString folder = QCoreApplication::applicationDirPath().replace(QLatin1Char('/'), QLatin1Char('\\'));
    int result = Shell::Execute(QStringLiteral("open"), quoted, QString(), folder);
    if (result == 5)
        result = Shell::Execute(QStringLiteral("runas"), quoted, QString(), folder);
    if (result <= 32) {
        // The installer stays in the download folder for a manual install.
        qDebug() << "fail to exec extenal install file";
        ShowHandOverFailure();
        return;
    }
    if (m_quit)
        m_quit();
}

void downLoadExeFile::ShowTitle()
{
    QLabel* title = m_form.labelD;
    title->setStyleSheet(QLatin1String(kTitleStyle));
    title->setWordWrap(false);
    title->setAlignment(Qt::AlignCenter);
    title->setText(QStringLiteral("普罗维课堂更新啦！"));
    // Wide enough for the whole title in the fonts at hand.
    title->setGeometry(kTitleGeometry);
    title->resize(qMax(kTitleGeometry.width(), title->sizeHint().width()), kTitleGeometry.height());
    m_form.labeldownload->show();
}

void downLoadExeFile::ShowFailure()
{
    DropFile();
    QLabel* title = m_form.labelD;
    title->clear();
    title->setStyleSheet(QLatin1String(kFailureStyle));
    title->setWordWrap(true);
    title->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    title->setGeometry(kFailureGeometry);
    title->setText(QStringLiteral("  %1 %2").arg(m_fileName, FailureText()));
    m_form.labeldownload->hide();
    m_form.progressBar->hide();
    m_form.labelDesc->hide();
    m_form.pushButtonOK->show();
    title->show();
    show();
}

void downLoadExeFile::ShowHandOverFailure()
{
    ShowFailure();
    m_handOverFailed = true;
    m_form.labelD->setText(HandOverFailureText(m_filePath));
}

void downLoadExeFile::DropFile()
{
    if (m_file)
        m_file->remove();
    m_file.reset();
}

void downLoadExeFile::OnClose()
{
    const Profile* profile = Nexus::GetProfile();
    if (m_handOverFailed) {
        // The user installs by hand; the old version must not go on.
        if (profile && profile->GetUpdateForce()) {
            qDebug() << "downLoadExeFile, installer left for a manual install, the program ends";
            hide();
            if (m_quit)
                m_quit();
            return;
        }
    } else if (profile && profile->GetUpdateForce()) {
        qDebug() << "downLoadExeFile, curr version need force update, or cannot enter room";
        return;
    }
    ShowLoginWindow();
    if (m_reply) {
        m_cancel = true;
        // Aborting finishes the reply at once; httpFinished cleans up.
        m_reply->abort();
    }
    hide();
}

void downLoadExeFile::ShowLoginWindow()
{
    MainWindow* window = Nexus::GetMainWindow();
    if (NewLoginWidget* login = window ? window->GetLoginWidget() : nullptr)
        login->ShowLogin();
}

void downLoadExeFile::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_lastPos = event->globalPos();
    }
    event->ignore();
}

void downLoadExeFile::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        m_curPos = event->globalPos();
        move(pos() + m_curPos - m_lastPos);
        m_lastPos = m_curPos;
    }
    event->ignore();
}

void downLoadExeFile::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    event->ignore();
}
