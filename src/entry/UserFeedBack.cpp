#include "UserFeedBack.h"

#include "app/AutoTimeOutEventLoop.h"
#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "app/SharedFunctions.h"
#include "session/DataManager.h"
#include "session/WebRequest.h"
#include "widgets/Placement.h"

#include <QCheckBox>
#include <QDebug>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QPushButton>
#include <QTextEdit>

namespace {

const int kStarCount = 5;
const char kHint[] = "请对老师授课与软件进行评价和建议~(您的反馈有助于我们为您提供更好的服务)";

const char kSubmitPale[] = "QPushButton{background-color: #ff9999;border-radius: 5px;color: #ffffff;font:18px "
                           "Microsoft YaHei;}";
const char kSubmitRed[]
    = "QPushButton{background-color: #f74945;border: 1px solid #ff554d;border-radius: 5px;color: #ffffff;font:18px "
      "Microsoft YaHei;}QPushButton::hover{background-color: #ff5459;border: 1px solid #c5c5c5;border-radius: "
      "5px;color: #ffffff;font:18px Microsoft YaHei;}";
const char kStarSheet[] = "QPushButton{image: url(:resource/close/%1/%2.png);border:0px;background-color:#ffffff;}"
                          "QPushButton::hover{image: url(:resource/close/%1/%2.png);background-color:#ffffff;;"
                          "border:0px;}";
const char kCheckBoxSheet[]
    = "QCheckBox { border:0px; color:#666666;font:14px Microsoft YaHei;} QCheckBox::indicator {width: 16px;height: "
      "16px; } QCheckBox::indicator:unchecked {image: url(:resource/login/%1/uncheck.png); } "
      "QCheckBox::indicator:unchecked:disabled {  image: url(:resource/login/%1/uncheck.png);} "
      "QCheckBox::indicator:unchecked:hover {image: url(:resource/login/%1/uncheck-hover.png); } "
      "QCheckBox::indicator:checked {image: url(:resource/login/%1/checked.png); } "
      "QCheckBox::indicator:indeterminate {image: url(:resource/login/%1/uncheck.png); } ";

QLabel* MakeLabel(QWidget* parent, const char* text, const QString& style, const QPoint& at)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setStyleSheet(style);
    label->adjustSize();
    label->move(at);
    return label;
}

} // namespace

UserFeedBack::UserFeedBack(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("UserFeedBack"));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setFixedSize(540, 520);
    setStyleSheet(QStringLiteral("#UserFeedBack{background:#ffffff;border:1px solid #e5e5e5;}"));
    BuildForm();
    DrawScore();
    for (QPushButton* star : qAsConst(m_stars))
        star->installEventFilter(this);
    m_comment->installEventFilter(this);
    connect(this, &UserFeedBack::FeedBackInfoInitFlagChanged, this, &UserFeedBack::OnFeedBackInfoInitFlagChanged);
    connect(m_btnDirectExit, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_btnSubmit, &QPushButton::clicked, this, &UserFeedBack::OnSubmitClicked);
}

UserFeedBack::~UserFeedBack()
{
    // The children outlive this part of the object; their last focus
    // events must not reach it.
    for (QPushButton* star : qAsConst(m_stars))
        star->removeEventFilter(this);
    m_comment->removeEventFilter(this);
}

void UserFeedBack::BuildForm()
{
    auto* title = MakeLabel(
        this, "您的建议对我们很重要", QStringLiteral("color:#333333;font:28px Microsoft YaHei;"), QPoint(135, 39));
    title->setAlignment(Qt::AlignCenter);
    title->setGeometry(100, 36, 340, 40);
    const QString caption = QStringLiteral("color:#333333;font:18px Microsoft YaHei;");
    MakeLabel(this, "老师授课", caption, QPoint(51, 107));

    auto* scoreList = new QWidget(this);
    scoreList->setObjectName(QStringLiteral("scoreList"));
    scoreList->setGeometry(113, 144, 330, 50);
    auto* row = new QHBoxLayout(scoreList);
    row->setSpacing(18);
    row->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < kStarCount; ++i) {
        auto* star = new QPushButton(scoreList);
        star->setObjectName(QStringLiteral("star%1").arg(i + 1));
        star->setFixedSize(49, 47);
        star->setCursor(Qt::PointingHandCursor);
        star->setAutoDefault(false);
        row->addWidget(star);
        m_stars << star;
    }
    row->addStretch();

    MakeLabel(this, "授课/软件意见和建议", caption, QPoint(51, 231));
    m_commentFrame = new QFrame(this);
    m_commentFrame->setObjectName(QStringLiteral("commentFrame"));
    m_commentFrame->setGeometry(51, 269, 439, 108);
    m_commentFrame->setStyleSheet(QStringLiteral("#commentFrame{border:1px solid #e5e5e5;border-radius:4px;}"));
    m_comment = new QTextEdit(m_commentFrame);
    m_comment->setObjectName(QStringLiteral("commentEdit"));
    m_comment->setGeometry(16, 16, 406, 76);
    m_comment->setAcceptRichText(false);
    m_comment->setAcceptDrops(false);
    m_comment->setFrameShape(QFrame::NoFrame);

    m_btnDirectExit = new QPushButton(QStringLiteral("直接退出"), this);
    m_btnDirectExit->setObjectName(QStringLiteral("btnDirectExit"));
    m_btnDirectExit->setGeometry(110, 401, 136, 48);
    m_btnDirectExit->setStyleSheet(QStringLiteral(
        "QPushButton{background:#ffffff;border:1px solid #d4d4d4;border-radius:5px;color:#666666;font:18px Microsoft "
        "YaHei;}QPushButton::hover{border:1px solid #aaaaaa;color:#333333;}"));
    m_btnSubmit = new QPushButton(QStringLiteral("提交并退出"), this);
    m_btnSubmit->setObjectName(QStringLiteral("btnSubmit"));
    m_btnSubmit->setGeometry(294, 401, 136, 48);
    m_btnSubmit->setAutoDefault(false);
    m_btnDirectExit->setCursor(Qt::PointingHandCursor);

    m_anonymous = new QCheckBox(QStringLiteral("对老师同学匿名"), this);
    m_anonymous->setObjectName(QStringLiteral("anonymousBox"));
    m_anonymous->setGeometry(227, 477, 180, 20);
    m_anonymous->setCursor(Qt::PointingHandCursor);
}

void UserFeedBack::OnShowDialog()
{
    if (isVisible()) {
        lower();
        hide();
        return;
    }
    // Every class gets a fresh form.
    m_score = 0;
    m_submitted = false;
    m_anonymous->setChecked(false);
    SetFeedBackInfoInitFlag(1);
    Placement::CentreDialogOver(this, Nexus::GetMainWindow());
    // The first focus goes to leaving (after the re-parenting, which drops
    // it): a star that took it would choose a score the user never gave.
    m_btnDirectExit->setFocus();
    m_anonymous->setStyleSheet(QString::fromLatin1(kCheckBoxSheet).arg(Nexus::GetScaleFolder()));
    m_anonymous->adjustSize();
    m_anonymous->move((width() - m_anonymous->width()) / 2, 477);
    // Drawn again: the display scale may have changed since the last time.
    DrawScore();
    raise();
    show();
    activateWindow();
}

void UserFeedBack::OnHideDialog()
{
    hide();
}

void UserFeedBack::OnScoreBtnPressed(int index)
{
    if (index < 0 || index > kStarCount || index == m_score)
        return;
    m_score = index;
    DrawScore();
}

void UserFeedBack::DrawScore()
{
    // The submit is pale, and does nothing, until a star is chosen.
    m_btnSubmit->setStyleSheet(QString::fromLatin1(m_score > 0 ? kSubmitRed : kSubmitPale));
    m_btnSubmit->setCursor(m_score > 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    const QString folder = Nexus::GetScaleFolder();
    for (int k = 1; k <= m_stars.size(); ++k) {
        const char* picture = k <= m_score ? "has_feedback" : "wait_feedback";
        m_stars.at(k - 1)->setStyleSheet(QString::fromLatin1(kStarSheet).arg(folder, QLatin1String(picture)));
    }
}

void UserFeedBack::OnSubmitClicked()
{
    // Without a star the submit is not offered yet.
    if (m_score == 0)
        return;
    m_submitted = true;
    reject();
}

void UserFeedBack::SetFeedBackInfoInitFlag(int flag)
{
    m_dwFeedBackInfoInitFlag = flag;
    emit FeedBackInfoInitFlagChanged(flag);
}

void UserFeedBack::OnFeedBackInfoInitFlagChanged(int flag)
{
    if (flag == 2) {
        m_comment->setStyleSheet(QStringLiteral("border:0px;color:#333333;font: 16px Microsoft YaHei;"));
        m_comment->clear();
    } else if (flag == 1) {
        m_comment->setStyleSheet(QStringLiteral("border:0px;color:#aaaaaa;font:16px Microsoft YaHei;"));
        m_comment->setPlainText(QString::fromUtf8(kHint));
    }
}

void UserFeedBack::JudgeFeedBackInfo()
{
    if (m_comment->toPlainText().isEmpty())
        SetFeedBackInfoInitFlag(1);
}

bool UserFeedBack::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    const int star = m_stars.indexOf(qobject_cast<QPushButton*>(watched)) + 1;
    if (star > 0) {
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick || type == QEvent::FocusIn
            || type == QEvent::FocusOut)
            OnScoreBtnPressed(star);
    } else if (watched == m_comment) {
        if (type == QEvent::FocusIn && m_dwFeedBackInfoInitFlag == 1)
            SetFeedBackInfoInitFlag(2);
        else if (type == QEvent::FocusOut)
            JudgeFeedBackInfo();
    }
    return QDialog::eventFilter(watched, event);
}

QByteArray UserFeedBack::CommentBody(const RoomFields& room) const
{
    QJsonObject comment;
    comment.insert(QStringLiteral("schoolId"), room.m_strSchoolId);
    comment.insert(QStringLiteral("sessionId"), room.m_strSessionId);
    comment.insert(QStringLiteral("userId"), room.m_dwUserId);
    comment.insert(QStringLiteral("teacherScore"), m_score);
    comment.insert(QStringLiteral("anonymous"), m_anonymous->isChecked() ? 1 : 0);
    const QString text = m_comment->toPlainText();
    if (!text.isEmpty() && m_dwFeedBackInfoInitFlag != 1)
        comment.insert(QStringLiteral("description"), text);
    return QJsonDocument(comment).toJson(QJsonDocument::Compact);
}

void UserFeedBack::OnFeedbackAndDirectExt()
{
    DataManager* data = Nexus::GetDataManager();
    if (!data)
        return;
    if (!m_submitted) {
        qDebug() << "into OnFeedbackAndDirectExt, the dialog was not submitted";
        return;
    }
    // One submit, one post, whoever asks again.
    m_submitted = false;
    if (m_score == 0) {
        qDebug() << "into OnFeedbackAndDirectExt score is 0";
        return;
    }
    const RoomFields room = data->GetRoomFields();
    Profile* profile = Nexus::GetProfile();
    const QString urlTemplate = profile ? profile->GetUrl(ClassServerProperty::CommentAdd) : QString();
    const QString url = WebRequest::Fill(
        urlTemplate, { { "{schoolId}", room.m_strSchoolId }, { "{sessionId}", room.m_strSessionId } });
    const QByteArray body = CommentBody(room);
    qDebug().noquote() << "into UserFeedBack::OnFeedbackAndDirectExt url:" << LoggableUrl(url) << LoggableBody(body);
    if (urlTemplate.isEmpty()) {
        qDebug() << "OnFeedbackAndDirectExt failed! err: no comment address in the server properties";
        return;
    }
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request { QUrl(url, QUrl::TolerantMode) };
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    AutoTimeOutEventLoop loop(m_network->post(request, body));
    // The user is leaving: nothing else of the window may run meanwhile.
    loop.Exec(QEventLoop::ExcludeUserInputEvents);
    const QByteArray answer = loop.GetBody();
    if (loop.GetNetworkError() != 0 || answer.isEmpty()) {
        qDebug() << "OnFeedbackAndDirectExt failed! err:" << loop.GetNetworkError() << loop.GetErrorText()
                 << LoggableBody(answer);
        return;
    }
    QJsonParseError error;
    QJsonDocument::fromJson(answer, &error);
    if (error.error != QJsonParseError::NoError) {
        qDebug() << "OnFeedbackAndDirectExt error:" << error.errorString();
        return;
    }
    qDebug().noquote() << "OnFeedbackAndDirectExt response" << LoggableBody(answer);
}
