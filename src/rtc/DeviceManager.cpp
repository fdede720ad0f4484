#include "DeviceManager.h"

#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "app/TitleBar.h"
#include "app/TopArea.h"
#include "app/UserSettings.h"
#include "rtc/AudioInManager.h"
#include "rtc/AudioOutManager.h"
#include "rtc/CAgoraObject.h"
#include "rtc/CameraManager.h"
#include "rtc/MediaPlayer.h"
#include "rtc/Player.h"
#include "widgets/ShadowedFrame.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace {

constexpr int kFormWidth = 500;
// The form's content ends 310 px from its top (the OK and cancel buttons).
constexpr int kFormHeight = 330;

const char kButtonStyle[]
    = "QPushButton{background-color:#ffffff;border:1px solid #ff554d;border-radius:5px;color:#ff554d;"
      "font:16px \"Microsoft YaHei\";}"
      "QPushButton:hover{background-color:#ff554d;color:#ffffff;}";

const char kComboStyle[]
    = "QComboBox{border:1px solid #d4d4d4;border-radius:3px;padding-left:10px;background-color:#ffffff;"
      "color:#343434;font:14px \"Microsoft YaHei\";}"
      "QComboBox:hover{border:1px solid #ff554d;}"
      "QComboBox::drop-down{subcontrol-origin:padding;subcontrol-position:top right;width:36px;"
      "border-left:1px solid #d4d4d4;background-color:#f3f3f3;border-top-right-radius:3px;"
      "border-bottom-right-radius:3px;}"
      "QComboBox::down-arrow{image:url(:resource/selfstyle/menu/avsetting_combox.png);width:12px;height:7px;}"
      "QComboBox QAbstractItemView{border:1px solid #d4d4d4;background-color:#ffffff;color:#343434;"
      "selection-background-color:#ffeceb;selection-color:#ff554d;outline:0px;}";

const char kLabelStyle[] = "color:#343434;font:16px \"Microsoft YaHei\";border:0px;";

// What differs between the three kinds of device.
struct Kind {
    const char* label; // as the user reads it in hints
    const SettingKey& key;
    const char* currentLog;
    const char* nameLog;
    const char* applyLog;
    // A missing manager ends applying the picks (recording, playback) or
    // only skips this kind (camera).
    bool missingManagerStops;
};
const Kind kKinds[] = {
    { "麦克风", UserSettings::AudioInDevice,
        "CurAudioID:", "AudioInManager DeviceName:", "current Index 4Audio, index:", true },
    { "听筒", UserSettings::AudioOutDevice,
        "CurAudioOutID:", "AudioOutputManager DeviceName:", "current Index 4AudioOut, index:", true },
    { "摄像头", UserSettings::CameraDevice,
        "CurCameraID:", "CameraManager DeviceName:", "current Index 4Video, index:", false },
};

MediaPlayer* Media()
{
    Player* player = Nexus::GetPlayer();
    return player ? player->GetMediaPlayer() : nullptr;
}

CAgoraObject* Agora()
{
    MediaPlayer* media = Media();
    return media ? media->GetAgoraObject() : nullptr;
}

// The engine's wrapper of kind i (0 recording, 1 playback, 2 camera).
RtcDeviceManager* Manager(int i)
{
    CAgoraObject* agora = Agora();
    if (!agora)
        return nullptr;
    switch (i) {
    case 0:
        return agora->GetAudioInManager();
    case 1:
        return agora->GetAudioOutManager();
    default:
        return agora->GetCameraManager();
    }
}

// Lists the devices of manager in box, each entry holding its engine id,
// and picks the one in use.
void FillBox(QComboBox* box, RtcDeviceManager* manager, const Kind& kind)
{
    if (!manager)
        return;
    const QString current = manager->GetCurDevice();
    const int count = manager->GetDeviceCount();
    qDebug() << kind.currentLog << current << ",deviceCount:" << count;
    for (int i = 0; i < count; ++i) {
        QString name;
        QString id;
        if (!manager->GetDevice(i, name, id))
            continue;
        qDebug() << kind.nameLog << name << ",DeviceId:" << id;
        box->addItem(name, id);
        box->setItemData(box->count() - 1, name, Qt::ToolTipRole);
        if (id == current)
            box->setCurrentIndex(box->count() - 1);
    }
}

// A device list whose shown name ends in "…" when it is too long for the
// box; the entry's tool tip has it whole.
class DeviceBox : public QComboBox
{
public:
    using QComboBox::QComboBox;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
        option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideRight, field.width() - 4);
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }
};

QString JoinLabels(const QStringList& labels)
{
    return labels.join(QStringLiteral("、"));
}

} // namespace

// The widgets of the dialog, owned through the inner frame.
struct DeviceManager::Form {
    QLabel* label = nullptr;
    QPushButton* pushButtonDesc = nullptr;
    QPushButton* pushButtonClose = nullptr;
    QWidget* layoutWidget = nullptr;
    QGridLayout* gridLayout = nullptr;
    QLabel* label_2 = nullptr;
    QLabel* label_3 = nullptr;
    QLabel* label_4 = nullptr;
    QComboBox* comBox4Audio = nullptr;
    QComboBox* comBox4AudioOut = nullptr;
    QComboBox* comBox4Video = nullptr;
    QPushButton* btnAvTest = nullptr;
    QLabel* hint = nullptr;
    QWidget* layoutWidget1 = nullptr;
    QPushButton* pushButtonCancel = nullptr;
    QPushButton* pushButtonOk = nullptr;

    QComboBox* Box(int i) const
    {
        QComboBox* boxes[] = { comBox4Audio, comBox4AudioOut, comBox4Video };
        return boxes[i];
    }

    void Build(QFrame* frame)
    {
        frame->setObjectName(QStringLiteral("DeviceManager"));
        frame->setFixedSize(kFormWidth, kFormHeight);
        frame->setFrameShape(QFrame::StyledPanel);
        frame->setFrameShadow(QFrame::Raised);
        frame->setStyleSheet(QStringLiteral(
            "QFrame{\nborder: 0px solid  rgb(220,220,220);\nbackground-color: rgb(255, 255, 255);\n}\n "));

        label = new QLabel(frame);
        label->setObjectName(QStringLiteral("label"));
        label->setGeometry(0, 0, kFormWidth, 48);
        pushButtonDesc = new QPushButton(QStringLiteral("设置"), frame);
        pushButtonDesc->setObjectName(QStringLiteral("pushButtonDesc"));
        pushButtonDesc->setGeometry(228, 14, 44, 24);
        pushButtonDesc->setFocusPolicy(Qt::NoFocus);
        pushButtonDesc->setStyleSheet(
            QStringLiteral("QPushButton{border:0px;background:transparent;color:#343434;font:18px \"Microsoft "
                           "YaHei\";}"));
        pushButtonClose = new QPushButton(frame);
        pushButtonClose->setObjectName(QStringLiteral("pushButtonClose"));
        pushButtonClose->setGeometry(467, 9, 28, 28);
        pushButtonClose->setCursor(Qt::PointingHandCursor);
        pushButtonClose->setToolTip(QStringLiteral("关闭"));
        pushButtonClose->setStyleSheet(QStringLiteral("QPushButton{image:url(:resource/menubar/x1.75/"
                                                      "close.png);border:0px;padding:6px;background:transparent;}"));

        layoutWidget = new QWidget(frame);
        layoutWidget->setObjectName(QStringLiteral("layoutWidget"));
        layoutWidget->setGeometry(50, 70, 406, 182);
        gridLayout = new QGridLayout(layoutWidget);
        gridLayout->setObjectName(QStringLiteral("gridLayout"));
        gridLayout->setVerticalSpacing(10);
        gridLayout->setContentsMargins(0, 4, 0, 4);
        const char* texts[] = { "麦克风", "听筒", "摄像头" };
        QLabel** labels[] = { &label_2, &label_4, &label_3 };
        const char* labelNames[] = { "label_2", "label_4", "label_3" };
        QComboBox** boxes[] = { &comBox4Audio, &comBox4AudioOut, &comBox4Video };
        const char* boxNames[] = { "comBox4Audio", "comBox4AudioOut", "comBox4Video" };
        for (int row = 0; row < 3; ++row) {
            QLabel* text = new QLabel(QString::fromUtf8(texts[row]), layoutWidget);
            text->setObjectName(QLatin1String(labelNames[row]));
            text->setStyleSheet(QLatin1String(kLabelStyle));
            *labels[row] = text;
            QComboBox* box = new DeviceBox(layoutWidget);
            box->setObjectName(QLatin1String(boxNames[row]));
            box->setMinimumWidth(95);
            box->setMaximumWidth(300);
            box->setFixedHeight(36);
            box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
            box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            box->setCursor(Qt::PointingHandCursor);
            box->setStyleSheet(QLatin1String(kComboStyle));
            *boxes[row] = box;
            gridLayout->addWidget(text, row, 0);
            gridLayout->addWidget(box, row, 1);
        }
        btnAvTest = new QPushButton(QStringLiteral("语音自测"), layoutWidget);
        btnAvTest->setObjectName(QStringLiteral("btnAvTest"));
        btnAvTest->setFixedSize(300, 36);
        btnAvTest->setCursor(Qt::PointingHandCursor);
        btnAvTest->setStyleSheet(QLatin1String(kButtonStyle));
        gridLayout->addWidget(btnAvTest, 3, 1);

        hint = new QLabel(frame);
        hint->setObjectName(QStringLiteral("hint"));
        hint->setGeometry(50, 250, 406, 18);
        hint->setAlignment(Qt::AlignCenter);
        hint->setTextFormat(Qt::PlainText);
        hint->setStyleSheet(QStringLiteral("color:#f74945;font:12px \"Microsoft YaHei\";border:0px;"));
        hint->hide();

        layoutWidget1 = new QWidget(frame);
        layoutWidget1->setObjectName(QStringLiteral("layoutWidget1"));
        layoutWidget1->setGeometry(140, 270, 230, 40);
        auto* horizontalLayout = new QHBoxLayout(layoutWidget1);
        horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
        horizontalLayout->setContentsMargins(0, 0, 0, 0);
        pushButtonCancel = new QPushButton(QStringLiteral("取消"), layoutWidget1);
        pushButtonCancel->setObjectName(QStringLiteral("pushButtonCancel"));
        pushButtonOk = new QPushButton(QStringLiteral("确定"), layoutWidget1);
        pushButtonOk->setObjectName(QStringLiteral("pushButtonOk"));
        for (QPushButton* button : { pushButtonCancel, pushButtonOk }) {
            button->setFixedSize(104, 36);
            button->setCursor(Qt::PointingHandCursor);
            button->setStyleSheet(QLatin1String(kButtonStyle));
            horizontalLayout->addWidget(button);
        }
    }
};

DeviceManager::DeviceManager(QWidget* parent)
    : QFrame(parent, Qt::FramelessWindowHint)
    , m_form(std::make_unique<Form>())
    , m_inner(new QFrame(this))
{
    m_form->Build(m_inner);
    m_inner->move(ShadowedFrame::kMargin, ShadowedFrame::kMargin);
    setFixedSize(m_inner->width() + 25, m_inner->height() + 25);
    hide();
    connect(m_form->pushButtonCancel, &QPushButton::clicked, this, &DeviceManager::HideDialog);
    connect(m_form->pushButtonClose, &QPushButton::clicked, this, &DeviceManager::HideDialog);
    connect(m_form->pushButtonOk, &QPushButton::clicked, this, &DeviceManager::ChanngeDevice);
    connect(m_form->btnAvTest, &QPushButton::clicked, this, &DeviceManager::ShowAVTestDialog);
    // The device watcher's reports reach it in the GUI thread, queued.
    connect(this, &DeviceManager::DefaultDeviceChanged, this, &DeviceManager::OnDefaultDeviceChanged);
}

DeviceManager::~DeviceManager() = default;

QComboBox* DeviceManager::GetAudioInBox() const
{
    return m_form->comBox4Audio;
}

QComboBox* DeviceManager::GetAudioOutBox() const
{
    return m_form->comBox4AudioOut;
}

QComboBox* DeviceManager::GetVideoBox() const
{
    return m_form->comBox4Video;
}

QPushButton* DeviceManager::GetOkButton() const
{
    return m_form->pushButtonOk;
}

QPushButton* DeviceManager::GetCancelButton() const
{
    return m_form->pushButtonCancel;
}

QPushButton* DeviceManager::GetCloseButton() const
{
    return m_form->pushButtonClose;
}

QPushButton* DeviceManager::GetAvTestButton() const
{
    return m_form->btnAvTest;
}

QLabel* DeviceManager::GetHintLabel() const
{
    return m_form->hint;
}

void DeviceManager::paintEvent(QPaintEvent*)
{
    ShadowedFrame::Paint(this);
}

void DeviceManager::ClearLists()
{
    for (int i = 0; i < 3; ++i)
        m_form->Box(i)->clear();
}

void DeviceManager::ShowHint(const QString& text)
{
    m_form->hint->setText(text);
    m_form->hint->setVisible(!text.isEmpty());
}

void DeviceManager::ShowDialog()
{
    if (isVisible()) {
        m_listsFilled = false;
        ClearLists();
        hide();
        return;
    }
    MainWindow* window = Nexus::GetMainWindow();
    if (!window) {
        qDebug() << "[Error], in DeviceManager::ShowDialog, no main window";
        return;
    }
    if (parentWidget() != window)
        setParent(window);
    move((window->width() - width()) / 2, (window->height() - height()) / 2);
    show();
    raise();
    if (!m_listsFilled)
        FillDeviceLists();
}

void DeviceManager::HideDialog()
{
    qDebug() << "into DeviceManager::HideDialog";
    m_listsFilled = false;
    for (int i = 0; i < 3; ++i)
        m_form->Box(i)->hidePopup();
    ClearLists();
    ShowHint(QString());
    hide();
}

void DeviceManager::FillDeviceLists()
{
    m_listsFilled = true;
    ClearLists();
    MediaPlayer* media = Media();
    CAgoraObject* agora = Agora();
    if (!media || !agora)
        return;
    // Every kind is read afresh, so a device plugged in or out since the
    // last opening is listed as it is now.
    media->CreateAudioInManager();
    FillBox(m_form->comBox4Audio, agora->GetAudioInManager(), kKinds[0]);
    media->CreateAudioOutManager();
    FillBox(m_form->comBox4AudioOut, agora->GetAudioOutManager(), kKinds[1]);
    agora->EnableVideo(true);
    media->CreateCameraManager();
    FillBox(m_form->comBox4Video, agora->GetCameraManager(), kKinds[2]);

    // A remembered device that is not listed is not in use: say so, rather
    // than let the list suggest it still is.
    QStringList missing;
    for (int i = 0; i < 3; ++i) {
        const QString stored = UserSettings::Text(kKinds[i].key);
        if (!stored.isEmpty() && m_form->Box(i)->findData(stored) < 0)
            missing << QString::fromUtf8(kKinds[i].label);
    }
    ShowHint(missing.isEmpty() ? QString()
                               : QStringLiteral("上次选择的%1未连接,现使用列表中选中的设备").arg(JoinLabels(missing)));
}

void DeviceManager::ChanngeDevice()
{
    QStringList failed;
    for (int i = 0; i < 3; ++i) {
        QComboBox* box = m_form->Box(i);
        if (box->count() == 0)
            continue;
        const Kind& kind = kKinds[i];
        RtcDeviceManager* manager = Manager(i);
        if (!manager) {
            if (kind.missingManagerStops)
                break;
            continue;
        }
        const int index = box->currentIndex();
        const QString name = box->currentText();
        const QString id = box->currentData().toString();
        const bool selected = manager->SetCurDevice(id);
        qDebug() << kind.applyLog << index << ",deviceName:" << name << ",_deviceId:" << id;
        // Only a device the engine took is remembered: a stored id of a
        // device that has gone would stop the device recovery of every
        // later join.
        if (!selected) {
            qDebug() << "[ERROR]in DeviceManager::ChanngeDevice, device is gone:" << name;
            failed << QString::fromUtf8(kind.label);
            continue;
        }
        if (UserSettings::Text(kind.key) != id)
            UserSettings::SetValue(kind.key, id);
    }
    if (failed.isEmpty()) {
        ShowHint(QString());
        hide();
        return;
    }
    FillDeviceLists();
    ShowHint(QStringLiteral("所选的%1已断开,请重新选择").arg(JoinLabels(failed)));
}

void DeviceManager::OnDefaultDeviceChanged(int kind, QString name)
{
    if (!m_listsFilled)
        FillDeviceLists();
    if (kind != Recording && kind != Playback)
        return;
    const bool input = kind == Recording;
    RtcDeviceManager* manager = Manager(input ? 0 : 1);
    MediaPlayer* media = Media();
    if (!manager || !media)
        return;
    const QString id = input ? media->GetAudioInDeviceId(name) : media->GetAudioOutDeviceId(name);
    if (id.isEmpty()) {
        qDebug() << (input ? "into OnDefaultDeviceChanged audio in, cannot find device id from devicename, and "
                             "devicename:"
                           : "into OnDefaultDeviceChanged audio out, cannot find device id from devicename, and "
                             "devicename:")
                 << name;
        return;
    }
    if (manager->GetCurDevice() == id) {
        qDebug() << (input ? "into OnDefaultDeviceChanged, current device is default audioin, and devicename:"
                           : "into OnDefaultDeviceChanged, current device is default audioout, and devicename:")
                 << name;
        manager->SetCurDevice(id);
        return;
    }
    if (!manager->SetCurDevice(id)) {
        qDebug() << "OnDefaultDeviceChanged  SetCurDevice fail, and deviceName:" << name;
        return;
    }
    qDebug() << "OnDefaultDeviceChanged  SetCurDevice success, and deviceName:" << name;
    const SettingKey& key = input ? UserSettings::AudioInDevice : UserSettings::AudioOutDevice;
    if (UserSettings::Text(key) != id)
        UserSettings::SetValue(key, id);
    // An open dialog shows the devices as they are now.
    if (isVisible())
        FillDeviceLists();
}

void DeviceManager::ShowAVTestDialog()
{
    HideDialog();
    TopArea* top = Nexus::GetTopArea();
    TitleBar* bar = top ? top->GetTitleBar() : nullptr;
    if (!bar) {
        qDebug() << "into DeviceManager::ShowAVTestDialog, no title bar";
        return;
    }
    emit bar->ShowAVTestDialog();
}
