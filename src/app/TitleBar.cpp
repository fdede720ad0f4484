#include "TitleBar.h"

#include "DoubleClickLabel.h"
#include "ExitFeedback.h"
#include "MainWindow.h"
#include "Nexus.h"
#include "SharedFunctions.h"
#include "entry/RoomEntryWidget.h"
#include "entry/TechSupportWidget.h"
#include "rtc/DeviceTest.h"

#include <QDebug>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {

constexpr int kIconSize = 20;
constexpr int kEdgeMargin = 14;
constexpr int kIconGap = 14;
constexpr int kSeparatorWidth = 28;
constexpr int kCommandHeight = 36;
constexpr int kTextCommandWidth = 56;
constexpr int kPictureCommandWidth = 73;

const char kCommandStyle[] = "QPushButton{border:0px;background:transparent;color:#666666;"
                             "font:12px \"Microsoft YaHei\";padding:0px;}"
                             "QPushButton:hover{color:#333333;}";

QString HoverName(const QString& name)
{
    return name + QStringLiteral("_hover");
}

QString IconButtonStyle(const QString& name)
{
    return QStringLiteral("QPushButton{border:0px;background:transparent;border-image:url(%1);}"
                          "QPushButton:hover{border-image:url(%2);}")
        .arg(TitleBar::PicturePath(name), TitleBar::PicturePath(HoverName(name)));
}

// A text command with a picture before its text; the picture turns to its
// hover form under the pointer like the text does.
class CommandButton : public QPushButton
{
public:
    explicit CommandButton(QWidget* parent)
        : QPushButton(parent)
    {
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
        setStyleSheet(QLatin1String(kCommandStyle));
        setIconSize(QSize(16, 16));
    }

    void SetPicture(const QString& name)
    {
        m_picture = name;
        setIcon(name.isEmpty() ? QIcon() : QIcon(TitleBar::PicturePath(name)));
    }

protected:
    void enterEvent(QEvent* event) override
    {
        if (!m_picture.isEmpty())
            setIcon(QIcon(TitleBar::PicturePath(HoverName(m_picture))));
        QPushButton::enterEvent(event);
    }
    void leaveEvent(QEvent* event) override
    {
        if (!m_picture.isEmpty())
            setIcon(QIcon(TitleBar::PicturePath(m_picture)));
        QPushButton::leaveEvent(event);
    }

private:
    QString m_picture;
};

QPushButton* MakeIconButton(QWidget* parent)
{
    auto* button = new QPushButton(parent);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setFixedSize(kIconSize, kIconSize);
    return button;
}

} // namespace

TitleBar::TitleBar(QWidget* parent)
    : WindowDragger(parent)
{
    setObjectName(QStringLiteral("_TOOL_BAR_"));
    setWindowFlags(Qt::FramelessWindowHint);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_StyledBackground);

    m_btnMin = MakeIconButton(this);
    m_btnMax = MakeIconButton(this);
    m_btnClose = MakeIconButton(this);
    m_btnRefresh = MakeIconButton(this);

    m_title = new DoubleClickLabel(this);
    m_title->setFocusPolicy(Qt::NoFocus);
    m_title->setStyleSheet(QStringLiteral("color:#333333;font:15px \"Microsoft YaHei\";background:transparent;"));
    m_title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_logo = new QLabel(this);
    m_logo->setFocusPolicy(Qt::NoFocus);
    m_logo->setScaledContents(true);
    m_logo->setFixedSize(28, 28);

    m_line = new QLabel(this);
    m_line->setFocusPolicy(Qt::NoFocus);
    m_line->setScaledContents(true);
    m_line->setFixedSize(kSeparatorWidth, kCommandHeight);

    m_btnSupport = new CommandButton(this);
    m_btnSupport->setText(QStringLiteral("技术支持"));
    m_btnDeviceTest = new CommandButton(this);
    m_btnDeviceTest->setText(QStringLiteral("设备检测"));
    m_btnExit = new CommandButton(this);

    connect(m_btnSupport, &QPushButton::clicked, this, &TitleBar::ShowTechSupWidget);
    connect(m_btnExit, &QPushButton::clicked, this, &TitleBar::Exit);
    connect(m_btnRefresh, &QPushButton::clicked, this, &TitleBar::Refresh);
    connect(m_btnDeviceTest, &QPushButton::clicked, this, &TitleBar::OnShowAVTestDialog);
    connect(this, &TitleBar::ShowAVTestDialog, this, &TitleBar::OnShowAVTestDialog);
}

TitleBar::~TitleBar()
{
    delete m_techSupport;
    delete m_deviceTest;
}

DeviceTest* TitleBar::GetDeviceTest() const
{
    return m_deviceTest;
}

TechSupportWidget* TitleBar::GetTechSupportWidget() const
{
    return m_techSupport;
}

QString TitleBar::PicturePath(const QString& name)
{
    return QStringLiteral(":/resource/titlebar/%1/%2.png").arg(Nexus::GetScaleFolder(), name);
}

void TitleBar::SetupLayout(MainWindow* window)
{
    if (!window)
        return;
    m_mainWindow = window;
    if (parentWidget() != window)
        setParent(window);
    setObjectName(QStringLiteral("_TOOL_BAR_"));
    setGeometry(0, 0, window->width(), kHeight);
    if (Nexus::GetDataPrepPhase() == 3)
        BuildClassRoomLayout();
    else
        BuildCourseListLayout();
}

void TitleBar::UpdateMaxRestoreButton()
{
    const bool maximised = m_mainWindow && m_mainWindow->GetMaxFlag();
    m_btnMax->setStyleSheet(
        IconButtonStyle(maximised ? QStringLiteral("normal_nav_restore") : QStringLiteral("normal_nav_max")));
    m_btnMax->setToolTip(maximised ? QStringLiteral("还原") : QStringLiteral("最大化"));
}

int TitleBar::PlaceRightCluster()
{
    const int iconTop = (kHeight - kIconSize) / 2;
    const int commandTop = (kHeight - kCommandHeight) / 2;
    m_btnClose->setStyleSheet(IconButtonStyle(QStringLiteral("normal_nav_close")));
    m_btnClose->setToolTip(QStringLiteral("关闭"));
    UpdateMaxRestoreButton();
    m_btnMin->setStyleSheet(IconButtonStyle(QStringLiteral("normal_nav_min")));
    m_line->setPixmap(QPixmap(PicturePath(QStringLiteral("nav_icon_line_normal"))));
    static_cast<CommandButton*>(m_btnSupport)->SetPicture(QStringLiteral("navr_icon_help_default"));

    int x = width() - kEdgeMargin - kIconSize;
    m_btnClose->move(x, iconTop);
    x -= kIconGap + kIconSize;
    m_btnMax->move(x, iconTop);
    x -= kIconGap + kIconSize;
    m_btnMin->move(x, iconTop);
    x -= 4 + kSeparatorWidth;
    m_line->move(x, commandTop);
    x -= kPictureCommandWidth;
    m_btnSupport->setGeometry(x, commandTop, kPictureCommandWidth, kCommandHeight);
    for (QWidget* widget : { static_cast<QWidget*>(m_btnClose), static_cast<QWidget*>(m_btnMax),
             static_cast<QWidget*>(m_btnMin), static_cast<QWidget*>(m_line), static_cast<QWidget*>(m_btnSupport) })
        widget->show();
    return x;
}

void TitleBar::PlaceTitle(int left, int right)
{
    const QString title = QStringLiteral("普罗维课堂");
    const int width = qMax(0, right - left);
    m_title->setText(ElideText(m_title->font(), title, width));
    m_title->setToolTip(QString());
    m_title->setGeometry(left, 0, width, kHeight);
    m_title->show();
}

void TitleBar::BuildClassRoomLayout()
{
    m_classRoomLayout = true;
    setStyleSheet(QStringLiteral("#_TOOL_BAR_{background-color:%1;border:0px;border-bottom-width: 1px;"
                                 "border-bottom-color: #dadbdc;border-bottom-style: solid;}")
                      .arg(QStringLiteral("#FAFBFC")));
    int x = PlaceRightCluster();
    const int commandTop = (kHeight - kCommandHeight) / 2;

    if (!Nexus::IsOutOfClassroom()) {
        m_btnRefresh->setStyleSheet(IconButtonStyle(QStringLiteral("normal_nav_icon_refresh_normal")));
        x -= 10 + kIconSize;
        m_btnRefresh->move(x, (kHeight - kIconSize) / 2);
        m_btnRefresh->show();
        x -= 6 + kTextCommandWidth;
        m_btnDeviceTest->setGeometry(x, commandTop, kTextCommandWidth, kCommandHeight);
        m_btnDeviceTest->show();
    } else {
        m_btnRefresh->hide();
        m_btnDeviceTest->hide();
        HideDeviceTest();
    }
    x = PlaceExitButton(x);
    m_logo->hide();
    PlaceTitle(20, x - 16);
    qDebug() << "SetLayout4TitleBar show ok.";
}

void TitleBar::BuildCourseListLayout()
{
    m_classRoomLayout = false;
    setStyleSheet(QStringLiteral("background:rgb(255, 255, 255);"));
    int x = PlaceRightCluster();
    m_btnRefresh->hide();
    m_btnDeviceTest->hide();
    HideDeviceTest();
    x = PlaceExitButton(x);
    m_logo->setPixmap(QPixmap(PicturePath(QStringLiteral("normal-logo"))));
    m_logo->move(16, (kHeight - m_logo->height()) / 2);
    m_logo->show();
    PlaceTitle(16 + m_logo->width() + 8, x - 16);
}

int TitleBar::PlaceExitButton(int right)
{
    // The button reads as what Exit does: while a room is entered, has
    // failed or is refreshed it leaves the room like the class room's own.
    const bool leavesRoom = !Nexus::IsOutOfClassroom();
    auto* exit = static_cast<CommandButton*>(m_btnExit);
    exit->setText(leavesRoom ? QStringLiteral("返回课表") : QStringLiteral("密码登录"));
    exit->SetPicture(leavesRoom ? QStringLiteral("school_list") : QString());
    const int width = leavesRoom ? kPictureCommandWidth : kTextCommandWidth;
    const int x = right - 8 - width;
    exit->setGeometry(x, (kHeight - kCommandHeight) / 2, width, kCommandHeight);
    exit->show();
    return x;
}

void TitleBar::CentreBelowStrip(QWidget* popup) const
{
    if (!m_mainWindow || !popup)
        return;
    const int areaHeight = m_mainWindow->height() - kHeight;
    popup->move((m_mainWindow->width() - popup->width()) / 2, kHeight + (areaHeight - popup->height()) / 2);
}

void TitleBar::HideDeviceTest()
{
    // Out of the class room the test, its microphone and camera stop with
    // the button that opens it.
    if (m_deviceTest && !m_deviceTest->isHidden())
        m_deviceTest->HideDialog();
}

void TitleBar::OnShowAVTestDialog()
{
    ShowDeviceTestWidget();
}

void TitleBar::ShowDeviceTestWidget()
{
    if (!m_mainWindow)
        return;
    if (m_techSupport && !m_techSupport->isHidden())
        m_techSupport->hide();
    if (!m_deviceTest) {
        m_deviceTest = new DeviceTest(m_mainWindow);
        CentreBelowStrip(m_deviceTest);
        m_deviceTest->hide();
    }
    if (m_deviceTest->isHidden()) {
        m_deviceTest->PrepareTest();
        m_deviceTest->OnBtnAudioOutClicked();
        m_deviceTest->ShowDialog();
    } else {
        m_deviceTest->HideDialog();
    }
}

void TitleBar::ShowTechSupWidget()
{
    if (!m_mainWindow)
        return;
    if (!m_techSupport) {
        m_techSupport = new TechSupportWidget(m_mainWindow);
        m_techSupport->hide();
    }
    if (!m_techSupport->isHidden()) {
        m_techSupport->lower();
        m_techSupport->hide();
        return;
    }
    m_techSupport->InitUI();
    CentreBelowStrip(m_techSupport);
    m_techSupport->show();
    m_techSupport->raise();
}

void TitleBar::Exit()
{
    if (Nexus::IsOutOfClassroom()) {
        if (m_mainWindow) {
            if (RoomEntryWidget* entry = m_mainWindow->GetRoomEntryWidget())
                entry->ShowRoomEntry();
        }
        return;
    }
    if (!Nexus::GetDataManager() || !m_mainWindow)
        return;
    ExitFeedback::Run(m_mainWindow);
    // The feedback dialog ran its own event loop.
    if (m_mainWindow)
        emit m_mainWindow->Exit();
}

void TitleBar::Refresh()
{
    if (m_mainWindow)
        emit m_mainWindow->CleanUp();
}
