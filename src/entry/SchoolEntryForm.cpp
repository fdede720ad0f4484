#include "SchoolEntryForm.h"

#include "app/SharedFunctions.h"
#include "widgets/DPIWidget4RectPixmap.h"
#include "widgets/DPIWidget4RoundPixmap.h"
#include "widgets/QtMaterialProgress.h"

#include <QAbstractItemView>
#include <QFrame>
#include <QGroupBox>
#include <QHelpEvent>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QToolTip>
#include <QVBoxLayout>

SchoolCombo::SchoolCombo(QWidget* parent)
    : QComboBox(parent)
{ }

bool SchoolCombo::event(QEvent* event)
{
    // The whole name, however the combo was filled.
    if (event->type() == QEvent::ToolTip && !currentText().isEmpty()) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), PlainToolTip(currentText()), this);
        return true;
    }
    return QComboBox::event(event);
}

QRect SchoolCombo::TextRect() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
}

QString SchoolCombo::GetShownText() const
{
    return ElideText(font(), currentText(), TextRect().width());
}

void SchoolCombo::showPopup()
{
    // The open list is as wide as its longest name needs.
    int widest = 0;
    for (int i = 0; i < count(); ++i)
        widest = qMax(widest, fontMetrics().horizontalAdvance(itemText(i)));
    view()->setMinimumWidth(qMax(width(), widest + 30));
    QComboBox::showPopup();
}

void SchoolCombo::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = GetShownText();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

namespace {

template <typename T> T* Named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* Text(QWidget* parent, const char* name, const QString& text, const char* style)
{
    auto* label = Named(new QLabel(text, parent), name);
    label->setStyleSheet(QString::fromLatin1(style));
    return label;
}

// A plain group box: no frame, no title.
QGroupBox* Box(QWidget* parent, const char* name)
{
    auto* box = Named(new QGroupBox(parent), name);
    box->setFlat(true);
    box->setStyleSheet(QStringLiteral("#%1{border:0px;background:transparent;margin:0px;}").arg(QLatin1String(name)));
    return box;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text = QString())
{
    auto* button = Named(new QPushButton(text, parent), name);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

const char kWhiteBox[] = "border:0px;border-radius:4px;background:#ffffff;margin:0px;padding:0px;";

} // namespace

SchoolEntryForm::SchoolEntryForm(QWidget* page)
{
    leftFrame = Named(new QFrame(page), "leftFrame");
    leftFrame->setStyleSheet(QStringLiteral("#leftFrame{background:#fafbfc;border-right:1px solid #ebedf0;}"));
    topLeftFrame = Named(new QFrame(leftFrame), "topLeftFrame");
    groupBox4UsrInfo = Named(new QFrame(topLeftFrame), "groupBox4UsrInfo");
    groupBox4UsrInfo->resize(143, 186);
    avatar = Named(new DPIWidget4RoundPixmap(groupBox4UsrInfo), "avatar");
    avatar->setGeometry((143 - 68) / 2, 26, 68, 68);
    usrName = Text(groupBox4UsrInfo, "usrName", QString(), "color:#333333;font:16px Microsoft YaHei;");
    usrName->setGeometry(0, 104, 143, 24);
    usrName->setAlignment(Qt::AlignCenter);
    // The user's name comes from the school's service: never markup.
    usrName->setTextFormat(Qt::PlainText);
    schoolChoose = Named(new SchoolCombo(groupBox4UsrInfo), "schoolChoose");
    schoolChoose->setGeometry(2, 140, 139, 31);
    schoolChoose->setFocusPolicy(Qt::NoFocus);
    schoolChoose->setCursor(Qt::PointingHandCursor);

    bottomLeftFrame = Named(new QFrame(leftFrame), "bottomLeftFrame");
    groupBox4Select = Named(new QFrame(bottomLeftFrame), "groupBox4Select");
    auto* column = Named(new QVBoxLayout(groupBox4Select), "verticalLayout");
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    const char* const frames[] = { "myCourseFrame", "bookCourseFrame", "bookCourseFrame_2", "bookCourseFrame_3",
        "bookCourseFrame_4", "bookCourseFrame_5", "bookCourseFrame_6" };
    const char* const buttons[] = { "btnMyCourse", "btnBookCourse", "btnJob", "btnCourseCard", "btnQACommunity",
        "btnBuyCourse", "btnAppDownload" };
    QPushButton** targets[]
        = { &btnMyCourse, &btnBookCourse, &btnJob, &btnCourseCard, &btnQACommunity, &btnBuyCourse, &btnAppDownload };
    for (int i = 0; i < 7; ++i) {
        auto* frame = Named(new QFrame(groupBox4Select), frames[i]);
        frame->setFixedSize(140, 40);
        *targets[i] = Button(frame, buttons[i]);
        (*targets[i])->setGeometry(5, 4, 130, 32);
        column->addWidget(frame);
    }
    column->addStretch();
    groupBox4Select->resize(140, 7 * 40 + 6 * 6);

    rightFrame = Named(new QFrame(page), "rightFrame");
    rightFrame->setStyleSheet(QStringLiteral("#rightFrame{background:#e8e9eb;}"));
    backgroundLabel = Named(new DPIWidget4RectPixmap(rightFrame), "backgroundLabel");

    groupBox4School = Box(rightFrame, "groupBox4School");
    groupBox4School->setStyleSheet(QStringLiteral("#groupBox4School{%1}").arg(QLatin1String(kWhiteBox)));
    btn4GoingClass = Button(groupBox4School, "btn4GoingClass", QStringLiteral("即将上课"));
    btn4GoingClass->resize(121, 36);
    btn4HistoryClass = Button(groupBox4School, "btn4HistoryClass", QStringLiteral("历史课程"));
    btn4HistoryClass->resize(121, 36);
    btn4Refresh = Button(groupBox4School, "btn4Refresh", QStringLiteral("刷新课表"));
    btn4Refresh->resize(80, 36);
    btn4Refresh->setStyleSheet(
        QStringLiteral("QPushButton{border:0px;background:transparent;color:#4092ff;font:14px Microsoft "
                       "YaHei;}QPushButton::hover{border:0px;background:transparent;color:#006eff;font:14px "
                       "Microsoft YaHei;}"));
    shoolList = Named(new QFrame(groupBox4School), "shoolList");
    shoolList->setStyleSheet(QStringLiteral("#shoolList{background:#ffffff;border:0px;}"));

    groupBox4NoBook = Box(groupBox4School, "groupBox4NoBook");
    groupBox4NoBook->resize(300, 349);
    label4NoBook = Named(new QPushButton(groupBox4NoBook), "label4NoBook");
    label4NoBook->setGeometry(60, 0, 180, 160);
    label4NoBook->setFocusPolicy(Qt::NoFocus);
    QLabel* lines[] = {
        Text(groupBox4NoBook, "label4NoBookTitle", QStringLiteral("暂无已预订课程"),
            "color:#333333;font:20px Microsoft YaHei;"),
        Text(groupBox4NoBook, "label4NoBookStep1", QStringLiteral("1 到普罗维教育官网"),
            "color:#666666;font:16px Microsoft YaHei;"),
        Text(groupBox4NoBook, "label4NoBookStep2", QStringLiteral("2 使用密码进入或联系客服"),
            "color:#666666;font:16px Microsoft YaHei;"),
    };
    const int tops[] = { 176, 216, 246 };
    for (int i = 0; i < 3; ++i) {
        lines[i]->setGeometry(0, tops[i], 300, 28);
        lines[i]->setAlignment(Qt::AlignCenter);
    }
    btnBookCourse2 = Button(groupBox4NoBook, "btnBookCourse2", QStringLiteral("预订课程"));
    btnBookCourse2->setGeometry(90, 295, 120, 38);
    btnBookCourse2->setStyleSheet(
        QStringLiteral("QPushButton{background-color:#f74945;border:1px solid #f74945;border-radius:2px;color:#ffffff;"
                       "font:16px Microsoft YaHei;}QPushButton::hover{background-color:#ff9999;border:1px solid "
                       "#ff9999;border-radius:2px;color:#ffffff;font:16px Microsoft YaHei;}"));
    groupBox4NoBook->hide();

    groupBox4Loading = Box(groupBox4School, "groupBox4Loading");
    groupBox4Loading->resize(300, 60);
    progressBar = Named(new QtMaterialProgress(groupBox4Loading), "progressBar");
    progressBar->setProgressColor(QColor(QStringLiteral("#fc3216")));
    progressBar->setGeometry(0, 4, 300, 6);
    progressBar->setTextVisible(false);
    QLabel* wait = Text(groupBox4Loading, "labelLoading", QStringLiteral("正在加载课表..."),
        "color:#999999;font:14px Microsoft YaHei;");
    wait->setGeometry(0, 20, 300, 24);
    wait->setAlignment(Qt::AlignCenter);
    groupBox4Loading->hide();

    groupBox4AppDown = Box(rightFrame, "groupBox4AppDown");
    groupBox4AppDown->setStyleSheet(QStringLiteral("#groupBox4AppDown{%1}").arg(QLatin1String(kWhiteBox)));
    groupBox4App1 = Box(groupBox4AppDown, "groupBox4App1");
    groupBox4App1->resize(340, 250);
    groupBox4App2 = Box(groupBox4AppDown, "groupBox4App2");
    groupBox4App2->resize(200, 250);
    struct Line {
        QWidget* box;
        const char* name;
        const char* text;
        const char* style;
        QRect geometry;
    };
    const char* const title = "color:#333333;font:20px Microsoft YaHei;";
    const char* const hint = "color:#666666;font:14px Microsoft YaHei;";
    const Line texts[] = {
        { groupBox4App1, "labelDesc1", "普罗维课堂", title, QRect(0, 0, 340, 30) },
        { groupBox4App1, "labelDesc12", "上课自在,听课新享受；欢迎使用新课堂", hint, QRect(0, 34, 340, 22) },
        { groupBox4App2, "labelDesc2", "普罗维学习", title, QRect(0, 0, 200, 30) },
        { groupBox4App2, "labelDesc21", "预习复习订课写作业,一网打尽", hint, QRect(0, 34, 200, 22) },
        { groupBox4App2, "labelDesc22", "欢迎使用普罗维学习", hint, QRect(0, 56, 200, 22) },
    };
    for (const Line& line : texts) {
        QLabel* label = Text(line.box, line.name, QString::fromUtf8(line.text), line.style);
        label->setGeometry(line.geometry);
        label->setAlignment(Qt::AlignCenter);
    }
    const QRect codes[] = { QRect(10, 90, 150, 150), QRect(180, 90, 150, 150), QRect(25, 90, 150, 150) };
    const char* const codeNames[] = { "qrlabel1", "qrlabel2", "qrlabel3" };
    for (int i = 0; i < 3; ++i) {
        auto* code = Named(new DPIWidget4RectPixmap(i < 2 ? groupBox4App1 : groupBox4App2), codeNames[i]);
        code->setGeometry(codes[i]);
        qrLabels << code;
    }
    groupBox4AppDown->hide();
}
