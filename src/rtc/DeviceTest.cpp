#include "DeviceTest.h"

#include "app/MainWindow.h"
#include "app/Nexus.h"

#include <QDebug>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr int kInnerWidth = 687;
constexpr int kInnerHeight = 500;
} // namespace

DeviceTest::DeviceTest(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("DeviceTestDialog"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#DeviceTestDialog{background:transparent;}"
                                 "#DeviceTest{background-color:#eaeaea;border-radius:5px;}"
                                 "#topFrame{background-color:#ffffff;border-top-left-radius:5px;"
                                 "border-top-right-radius:5px;}"));
    resize(kInnerWidth + 25, kInnerHeight + 25);
    m_inner = new QFrame(this);
    m_inner->setObjectName(QStringLiteral("DeviceTest"));
    m_inner->setGeometry(12, 12, kInnerWidth, kInnerHeight);
    auto* top = new QFrame(m_inner);
    top->setObjectName(QStringLiteral("topFrame"));
    top->setGeometry(1, 1, kInnerWidth - 2, 40);
    m_title = new QLabel(QStringLiteral("设备检测"), top);
    m_title->setObjectName(QStringLiteral("tbnDesc"));
    m_title->setStyleSheet(QStringLiteral("font:16px \"Microsoft YaHei\";color:#333333;"));
    m_title->setGeometry(20, 0, 200, 40);
    m_btnClose = new QPushButton(QStringLiteral("×"), top);
    m_btnClose->setObjectName(QStringLiteral("btnClose"));
    m_btnClose->setFocusPolicy(Qt::NoFocus);
    m_btnClose->setCursor(Qt::PointingHandCursor);
    m_btnClose->setStyleSheet(QStringLiteral("border:0px;font:20px;color:#999999;"));
    m_btnClose->setGeometry(647, 6, 28, 28);
    connect(m_btnClose, &QPushButton::clicked, this, &DeviceTest::HideDialog);
    hide();
}

void DeviceTest::PrepareTest()
{
    ++m_prepareCount;
    qDebug() << "into DeviceTest::PrepareTest";
}

void DeviceTest::ShowDialog()
{
    if (isVisible())
        return;
    MainWindow* window = Nexus::GetMainWindow();
    if (window && parentWidget() != window)
        setParent(window);
    if (QWidget* host = parentWidget())
        move((host->width() - width()) / 2, (host->height() - height()) / 2);
    show();
    raise();
}

void DeviceTest::HideDialog()
{
    hide();
}
