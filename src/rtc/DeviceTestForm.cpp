// The device test's form: its frames, tabs and four pages, and the looks
// that change with the results.
#include "DeviceTest.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "rtc/MediaDevices.h"
#include "widgets/QMeter.h"
#include "widgets/ShadowedFrame.h"

#include <QCameraViewfinder>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace {
constexpr int kInnerWidth = 687;
constexpr int kInnerHeight = 500;
constexpr int kLeftAnswerX = 90;
constexpr int kRightAnswerX = 245;

const char kDriverToolName[] = "驱动精灵";

const char kPrimaryStyle[] = "QPushButton{border:0px;border-radius:4px;color:#ffffff;font:16px \"Microsoft YaHei\";"
                             "background-color:#fd2d2d;}QPushButton:hover{background-color:#ff4d4d;}";
const char kSecondaryStyle[] = "QPushButton{border:1px solid #d9d9d9;border-radius:4px;color:#333333;"
                               "font:16px \"Microsoft YaHei\";background-color:#ffffff;}"
                               "QPushButton:hover{border-color:#fd2d2d;color:#fd2d2d;}";
const char kCheckIdleStyle[] = "QPushButton{border:0px;border-radius: 4px;color:#ffffff;font:16px Microsoft "
                               "YaHei;background-color: #fd2d2d;}QPushButton:disabled{background-color:#d9d9d9;}";
const char kCheckRunningStyle[] = "QPushButton{border:0px;border-radius: 4px;color:#ffffff;font:16px Microsoft "
                                  "YaHei;background-color: #50bb10;}";
const char kResultOkStyle[] = "border:0px;font:14px Microsoft YaHei;color:#5fc622;";
const char kResultBadStyle[] = "border:0px;font:14px Microsoft YaHei;color:#fd2d2d;";

QString ImageStyle(const QString& name)
{
    return QStringLiteral("QPushButton{image: url(:resource/avtest/%1/%2);border:0px;}")
        .arg(Nexus::GetScaleFolder(), name);
}

QLabel* Text(QWidget* parent, const char* name, const QString& text, const QRect& at, const char* style)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(at);
    label->setStyleSheet(QLatin1String(style));
    return label;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text, const QRect& at)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(at);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QFrame* Frame(QWidget* parent, const char* name, const QRect& at)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setGeometry(at);
    return frame;
}

// A caption and a volume slider (0 to 255) on the row below the test.
QSlider* VolumeRow(QWidget* parent, const char* caption, const QString& text, const char* name)
{
    Text(parent, caption, text, QRect(20, 184, 64, 20), "font:14px \"Microsoft YaHei\";color:#333333;")
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QLatin1String(name));
    slider->setGeometry(93, 184, 324, 20);
    slider->setRange(0, 255);
    slider->setFocusPolicy(Qt::NoFocus);
    return slider;
}

} // namespace

void DeviceTest::BuildForm()
{
    setObjectName(QStringLiteral("DeviceTestDialog"));
    resize(kInnerWidth + 25, kInnerHeight + 25);
    m_inner
        = Frame(this, "DeviceTest", QRect(ShadowedFrame::kMargin, ShadowedFrame::kMargin, kInnerWidth, kInnerHeight));
    QFrame* top = Frame(m_inner, "topFrame", QRect(1, 1, kInnerWidth - 2, 40));
    m_title = Text(top, "tbnDesc", QStringLiteral("设备检测"), QRect(20, 0, 200, 40),
        "font:16px \"Microsoft YaHei\";color:#333333;");
    m_btnClose = Button(top, "btnClose", QString(), QRect(647, 6, 28, 28));
    m_btnClose->setToolTip(QStringLiteral("关闭"));
    BuildLeftFrame();
    QFrame* right = Frame(m_inner, "rightFrame", QRect(158, 41, 528, 458));
    for (int i = 0; i < 4; ++i) {
        static const char* const names[] = { "box4AudioOut", "box4AudioIn", "box4Camera", "box4Result" };
        m_boxes[i] = Frame(right, names[i], QRect(0, 0, 528, 458));
    }
    BuildSpeakerPage();
    BuildMicrophonePage();
    BuildCameraPage();
    BuildResultPage();
    setStyleSheet(QStringLiteral(
        "#DeviceTest{background-color:#eaeaea;border-radius:5px;}"
        "#topFrame{background-color:#ffffff;border-top-left-radius:5px;border-top-right-radius:5px;}"
        "#leftFrame{background-color:#f2f2f2;border-bottom-left-radius:5px;}"
        "#rightFrame{background-color:#fefefe;border-bottom-right-radius:5px;}"
        "#box4AudioOut,#box4AudioIn,#box4Camera,#box4Result{background-color:#ffffff;"
        "border-bottom-right-radius:5px;}"
        "QComboBox{border:1px solid #d9d9d9;border-radius:4px;padding-left:10px;font:14px \"Microsoft YaHei\";"
        "color:#333333;background:#ffffff;}QComboBox:hover{border-color:#fd2d2d;}"
        "QComboBox::drop-down{border:0px;width:30px;}"
        "QComboBox QAbstractItemView{border:1px solid #d9d9d9;selection-background-color:#fff1f1;"
        "selection-color:#fd2d2d;font:14px \"Microsoft YaHei\";outline:0px;}"
        "QSlider::groove:horizontal{height:4px;border-radius:2px;background:#e5e5e5;}"
        "QSlider::sub-page:horizontal{border-radius:2px;background:#fd2d2d;}"
        "QSlider::handle:horizontal{width:14px;height:14px;margin:-5px 0px;border-radius:7px;"
        "background:#ffffff;border:1px solid #fd2d2d;}"
        "QSlider::sub-page:horizontal:disabled{background:#d9d9d9;}"
        "QSlider::handle:horizontal:disabled{border-color:#d9d9d9;}"
        "QGroupBox{border:1px solid #ffd9b8;border-radius:4px;background:#fffaf5;margin-top:0px;"
        "padding-top:26px;font:14px \"Microsoft YaHei\";color:#ff7f24;}"
        "QGroupBox::title{subcontrol-origin:padding;left:12px;top:6px;}"));
}

void DeviceTest::BuildLeftFrame()
{
    QFrame* left = Frame(m_inner, "leftFrame", QRect(1, 41, 157, 458));
    m_tabs[0] = BuildTab(left, 0, "tab4AudioOut", "btn4AuioOut", "label4AudioOutDesc", QStringLiteral("扬声器检测"));
    m_tabs[1] = BuildTab(left, 1, "tab4AudioIn", "btn4AuioIn", "label4AudioInDesc", QStringLiteral("麦克风检测"));
    m_tabs[2] = BuildTab(left, 2, "tab4Camera", "btn4Camera", "label4CameraDesc", QStringLiteral("摄像头检测"));
    m_tabs[3] = BuildTab(left, 3, "tab4Result", "btn4Result", "label4Result", QStringLiteral("检测结果"));
    m_btnContactSupp = Button(left, "btnContactSupp", QStringLiteral("联系技术支持"), QRect(0, 410, 157, 30));
    m_btnContactSupp->setStyleSheet(
        QStringLiteral("QPushButton{border:0px;background:transparent;color:#666666;text-decoration:underline;"
                       "font:13px \"Microsoft YaHei\";}QPushButton:hover{color:#fd2d2d;}"));
}

QFrame* DeviceTest::BuildTab(
    QWidget* parent, int index, const char* tab, const char* icon, const char* label, const QString& text)
{
    static const int ys[] = { 0, 45, 89, 133 };
    QFrame* frame = Frame(parent, tab, QRect(0, ys[index], 157, 44));
    frame->setCursor(Qt::PointingHandCursor);
    m_tabIcons[index] = Button(frame, icon, QString(), QRect(30, 12, 20, 20));
    m_tabLabels[index] = Text(frame, label, text, QRect(60, 0, 97, 44), "font:14px \"Microsoft YaHei\";color:#333333;");
    m_tabLabels[index]->setAttribute(Qt::WA_TransparentForMouseEvents);
    return frame;
}

DeviceTest::DevicePage DeviceTest::BuildDevicePage(Device device, const char* const names[], const QString& caption)
{
    // names: caption, combo, refresh, hint box, left, right, status
    DevicePage page;
    page.box = m_boxes[device];
    Text(page.box, names[0], caption, QRect(20, 16, 64, 32), "font:14px \"Microsoft YaHei\";color:#333333;")
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    page.combo = new QComboBox(page.box);
    page.combo->setObjectName(QLatin1String(names[1]));
    page.combo->setGeometry(93, 16, 320, 32);
    page.combo->setFocusPolicy(Qt::NoFocus);
    page.combo->setCursor(Qt::PointingHandCursor);
    page.refresh = Button(page.box, names[2], QStringLiteral("刷新"), QRect(425, 16, 64, 32));
    page.refresh->setStyleSheet(QLatin1String(kSecondaryStyle) + QStringLiteral("QPushButton{font:14px;}"));
    page.left = Button(page.box, names[4], QString(), QRect(kLeftAnswerX, kAnswerY, 125, 39));
    page.left->setStyleSheet(QLatin1String(kPrimaryStyle));
    page.right = Button(page.box, names[5], QString(), QRect(kRightAnswerX, kAnswerY, 125, 39));
    page.right->setStyleSheet(QLatin1String(kSecondaryStyle));
    page.status
        = Text(page.box, names[6], QString(), QRect(93, 160, 420, 20), "font:12px \"Microsoft YaHei\";color:#fd2d2d;");
    page.status->setTextFormat(Qt::PlainText);
    return page;
}

QGroupBox* DeviceTest::BuildHintBox(
    QWidget* parent, const char* name, const QStringList& lines, const char* driver, const char* tail, int height)
{
    auto* box = new QGroupBox(QStringLiteral("普小维提醒您"), parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(93, kQuestionY, 325, height);
    const char* const lineStyle = "font:12px \"Microsoft YaHei\";color:#666666;background:transparent;border:0px;";
    int y = 30;
    for (const QString& line : lines) {
        Text(box, "", line, QRect(14, y, 300, 20), lineStyle);
        y += 20;
    }
    // The last line names the diagnosis tool as a link inside the sentence.
    auto* row = new QWidget(box);
    row->setGeometry(14, y, 300, 20);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(Text(row, "", QStringLiteral("%1.如果还是不行，试试").arg(lines.size() + 1), QRect(), lineStyle));
    auto* link = Button(row, driver, QString::fromUtf8(kDriverToolName), QRect());
    link->setStyleSheet(QStringLiteral("QPushButton{border:0px;background:transparent;color:#2b7cff;"
                                       "text-decoration:underline;font:12px \"Microsoft YaHei\";}"));
    connect(link, &QPushButton::clicked, this, &DeviceTest::OnDriverLinkJump);
    layout->addWidget(link);
    layout->addWidget(Text(row, tail, QStringLiteral("诊断吧"), QRect(), lineStyle));
    layout->addStretch();
    return box;
}

void DeviceTest::BuildSpeakerPage()
{
    static const char* const names[] = { "devDesc4AOut", "combox4AOut", "btnRefresh4AOut", "notify4AOut",
        "btn14AudioOut", "btn24AudioOut", "status4AOut" };
    DevicePage& page = m_pages[Speaker] = BuildDevicePage(Speaker, names, QStringLiteral("扬声器:"));
    Text(page.box, "label", QStringLiteral("点击播放测试音，您可以听到一段声音"), QRect(93, 64, 420, 40),
        "font:14px \"Microsoft YaHei\";color:#666666;");
    m_playControl = Text(page.box, "label4AOutPlay", QString(), QRect(93, 117, 146, 40),
        "QLabel{background-color:#fd2d2d;border-radius:4px;}QLabel:disabled{background-color:#d9d9d9;}");
    m_playControl->setCursor(Qt::PointingHandCursor);
    m_btnPlay = Button(m_playControl, "btnPlay4Aout", QString(), QRect(22, 10, 20, 20));
    m_labelPlay = Text(m_playControl, "labelPlay4Aout", QStringLiteral("播放测试音"), QRect(50, 0, 90, 40),
        "font:16px \"Microsoft YaHei\";color:#ffffff;background:transparent;");
    m_sliderOut = VolumeRow(page.box, "devDesc4AOut_2", QStringLiteral("扬声器:"), "slider4AOut");
    page.notify = BuildHintBox(page.box, names[3],
        { QStringLiteral("1.电脑和耳麦音量是否已调大"), QStringLiteral("2.试着切换上方的扬声器设备试试吧"),
            QStringLiteral("3.对杀毒软件弹出的信息选择允许"), QStringLiteral("4.右上角刷新一下课堂") },
        "btn4Driver1", "label_9", 146);
}

void DeviceTest::BuildMicrophonePage()
{
    static const char* const names[] = { "devDesc4AOut_3", "combox4AIn", "btnRefresh4AIn", "notify4AIn", "btn14AudioIn",
        "btn24AudioIn", "status4AIn" };
    DevicePage& page = m_pages[Microphone] = BuildDevicePage(Microphone, names, QStringLiteral("麦克风:"));
    QLabel* hint
        = Text(page.box, "label_10", QStringLiteral("点击检测并讲话,您能看到麦克风强度条波动,并听到自己的声音"),
            QRect(93, 64, 420, 40), "font:14px \"Microsoft YaHei\";color:#666666;");
    hint->setWordWrap(true);
    m_btnInCheck = Button(page.box, "btn4AInCheck", QStringLiteral("检测麦克风"), QRect(93, 117, 123, 40));
    m_meter = new QMeter(page.box);
    m_meter->setObjectName(QStringLiteral("progressBar"));
    m_meter->setGeometry(246, 127, 200, 20);
    m_sliderIn = VolumeRow(page.box, "devDesc4AOut_4", QStringLiteral("音量:"), "slider4AIn");
    page.notify = BuildHintBox(page.box, names[3],
        { QStringLiteral("1.是否插入并已调高麦克风音量"), QStringLiteral("2.部分手机耳机无法在台式机上使用"),
            QStringLiteral("3.试着切换麦克风设备试试吧"), QStringLiteral("4.对杀毒软件弹出的信息选择允许") },
        "btn4Driver2", "label_18", 146);
}

void DeviceTest::BuildCameraPage()
{
    static const char* const names[] = { "devDesc4AOut_5", "combox4Camera", "btnRefresh4VOut", "notify4Camera",
        "btn14Camera", "btn24Camera", "status4Camera" };
    DevicePage& page = m_pages[Camera] = BuildDevicePage(Camera, names, QStringLiteral("摄像头:"));
    m_viewFrame = Frame(page.box, "widget", QRect(93, 70, 230, 140));
    m_viewFrame->setStyleSheet(QStringLiteral("#widget{background-color:#e9e9e9;border-radius:4px;}"));
    m_viewfinder = new QCameraViewfinder(m_viewFrame);
    m_viewfinder->setObjectName(QStringLiteral("viewfinder"));
    m_viewfinder->setGeometry(0, 0, 230, 140);
    m_viewfinder->hide();
    // Without a picture the frame shows a camera sign and why there is none.
    m_cameraIdle = Text(m_viewFrame, "cameraIdle", QString(), QRect(0, 30, 230, 52), "background:transparent;");
    m_cameraIdle->setAlignment(Qt::AlignCenter);
    page.status->setParent(m_viewFrame);
    page.status->setGeometry(10, 86, 210, 36);
    page.status->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    page.status->setWordWrap(true);
    page.notify = BuildHintBox(page.box, names[3],
        { QStringLiteral("1.确定摄像头已连接并可用"), QStringLiteral("2.对杀毒软件弹出的信息选择允许"),
            QStringLiteral("3.右上角刷新一下课堂") },
        "btn4Driver3", "label_27", 125);
}

void DeviceTest::BuildResultPage()
{
    QFrame* box = m_boxes[PageResult - 1];
    static const char* const icons[] = { "btnAOutResultIcon", "btnAInResultIcon", "btnCameraResultIcon" };
    static const char* const texts[] = { "btnAOutResult", "btnAInResult", "btnCameraResult" };
    const QString captions[] = { QStringLiteral("扬声器"), QStringLiteral("麦克风"), QStringLiteral("摄像头") };
    for (int i = 0; i < 3; ++i) {
        const int centre = 230 + (i - 1) * 140;
        m_resultIcons[i] = Button(box, icons[i], QString(), QRect(centre - 40, 60, 80, 80));
        m_resultIcons[i]->setCursor(Qt::ArrowCursor);
        QLabel* caption = Text(
            box, "", captions[i], QRect(centre - 48, 152, 97, 22), "font:16px \"Microsoft YaHei\";color:#333333;");
        caption->setAlignment(Qt::AlignCenter);
        m_resultTexts[i] = Text(box, texts[i], QString(), QRect(centre - 48, 186, 97, 20), kResultBadStyle);
        m_resultTexts[i]->setAlignment(Qt::AlignCenter);
    }
    m_btn14Result = Button(box, "btn14Result", QStringLiteral("重新检测"), QRect(kLeftAnswerX, 360, 125, 39));
    m_btn24Result = Button(box, "btn24Result", QStringLiteral("完成检测"), QRect(kRightAnswerX, 360, 125, 39));
}

void DeviceTest::ApplyImages()
{
    // Each show asks; the pictures of a scale are set once.
    const QString folder = Nexus::GetScaleFolder();
    if (folder == m_imagesFolder)
        return;
    m_imagesFolder = folder;
    static const char* const tabIcons[] = { "speaker.png", "microphone.png", "camera.png", "result.png" };
    m_tabIcons[3]->setStyleSheet(ImageStyle(QLatin1String(tabIcons[3])));
    RefreshTabIcons();
    static const char* const resultIcons[] = { "result_speaker.png", "result_microphone.png", "result_camera.png" };
    for (int i = 0; i < 3; ++i)
        m_resultIcons[i]->setStyleSheet(ImageStyle(QLatin1String(resultIcons[i])));
    SetPlayControl(m_audioOutput && m_audioOutput->state() == QAudio::ActiveState);
    m_btnClose->setStyleSheet(QStringLiteral("QPushButton{image: url(:resource/menubar/%1/close.png);border:0px;}"
                                             "QPushButton:hover{background:#f2f2f2;border-radius:4px;}")
                                  .arg(folder));
    // Drawn for the scale, so shown at the plain picture's size.
    QPixmap idle(QStringLiteral(":resource/avtest/%1/camera_off.png").arg(folder));
    Profile* profile = Nexus::GetProfile();
    idle.setDevicePixelRatio(profile ? profile->GetScaleFactor() : 1.0);
    m_cameraIdle->setPixmap(idle);
    for (DevicePage& page : m_pages) {
        page.combo->setStyleSheet(QStringLiteral(
            "QComboBox::down-arrow{image:url(:resource/avtest/%1/arrow_down.png);width:10px;height:6px;}")
                                      .arg(folder));
    }
}

void DeviceTest::SetTabBackgrounds()
{
    for (int i = 0; i < 4; ++i) {
        const bool current = i + 1 == m_page;
        m_tabs[i]->setStyleSheet(
            QStringLiteral("#%1{background-color:%2;}")
                .arg(m_tabs[i]->objectName(), current ? QStringLiteral("#ffffff") : QStringLiteral("#f2f2f2")));
        m_tabLabels[i]->setStyleSheet(QStringLiteral("font:14px \"Microsoft YaHei\";color:%1;")
                                          .arg(current ? QStringLiteral("#fd2d2d") : QStringLiteral("#333333")));
    }
}

void DeviceTest::RefreshTabIcons()
{
    static const char* const own[] = { "speaker.png", "microphone.png", "camera.png" };
    for (int device = Speaker; device <= Camera; ++device) {
        const auto d = static_cast<Device>(device);
        QString image = QLatin1String(own[device]);
        if (HasMark(d, MarkOk))
            image = QStringLiteral("successed.png");
        else if (HasMark(d, MarkAbnormal) || HasMark(d, MarkNoDevice))
            image = QStringLiteral("failed.png");
        m_tabIcons[device]->setStyleSheet(ImageStyle(image));
    }
}

void DeviceTest::SetPlayControl(bool playing)
{
    m_btnPlay->setStyleSheet(ImageStyle(playing ? QStringLiteral("playing.png") : QStringLiteral("play.png")));
    m_labelPlay->setText(playing ? QStringLiteral("播放中...") : QStringLiteral("播放测试音"));
}

void DeviceTest::SetCheckButton(bool running)
{
    m_btnInCheck->setText(running ? QStringLiteral("请讲话测试") : QStringLiteral("检测麦克风"));
    m_btnInCheck->setStyleSheet(QLatin1String(running ? kCheckRunningStyle : kCheckIdleStyle));
}

void DeviceTest::SetResultPage()
{
    bool allOk = true;
    for (int device = Speaker; device <= Camera; ++device) {
        const Result result = GetResult(static_cast<Device>(device));
        static const char* const texts[] = { "正常", "异常", "暂无可用设备", "未检测" };
        m_resultTexts[device]->setText(QString::fromUtf8(texts[result]));
        m_resultTexts[device]->setStyleSheet(QLatin1String(result == ResultOk ? kResultOkStyle : kResultBadStyle));
        allOk = allOk && result == ResultOk;
    }
    m_btn24Result->setStyleSheet(QLatin1String(allOk ? kPrimaryStyle : kSecondaryStyle));
    m_btn14Result->setStyleSheet(QLatin1String(allOk ? kSecondaryStyle : kPrimaryStyle));
}

void DeviceTest::MoveAnswers(Device device, int y)
{
    m_pages[device].left->move(kLeftAnswerX, y);
    m_pages[device].right->move(kRightAnswerX, y);
}

void DeviceTest::ShowQuestion(Device device)
{
    const bool camera = device == Camera;
    DevicePage& page = m_pages[device];
    page.left->setText(camera ? QStringLiteral("看得到") : QStringLiteral("听得到"));
    page.right->setText(camera ? QStringLiteral("看不到") : QStringLiteral("听不到"));
    MoveAnswers(device, kQuestionY);
    page.left->show();
    page.right->show();
    page.notify->hide();
}
