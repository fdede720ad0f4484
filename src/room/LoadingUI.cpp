#include "LoadingUI.h"

#include "widgets/Placement.h"

#include <QDebug>
#include <QLabel>
#include <QProgressBar>

LoadingUI::LoadingUI(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("LoadingUI"));
    setStyleSheet(QStringLiteral("#LoadingUI{background-color: rgb(255, 255, 255);border:0px;}"));
    m_spinner = new QLabel(this);
    m_spinner->setFixedSize(264, 190);
    m_progressBar = new QProgressBar(this);
    m_progressBar->setRange(0, 100);
    m_progressBar->setTextVisible(false);
    m_progressBar->setFixedSize(350, 12);
    m_progressValue = new QLabel(QStringLiteral("1%"), this);
    m_progressValue->setAlignment(Qt::AlignCenter);
    m_title = new QLabel(QStringLiteral("小维正在努力加载中..."), this);
    m_title->setAlignment(Qt::AlignCenter);
    m_hint = new QLabel(this);
    m_hint->setAlignment(Qt::AlignCenter);
    connect(this, &LoadingUI::ValueChanged, this, &LoadingUI::OnValueChanged);
}

int LoadingUI::SetupLayout(QWidget* window, int top)
{
    if (!Placement::MoveInto(this, window, "[Error], in LoadingUI::SetupLayout, _widget is NULL"))
        return -1;
    m_window = window;
    const int height = window->height() - top;
    setGeometry(0, top, window->width(), height);

    auto centre = [this](QWidget* child, int y, int childHeight) {
        const int childWidth = qMax(child->sizeHint().width(), child->minimumWidth());
        child->setGeometry((width() - childWidth) / 2, y, childWidth, childHeight);
        child->show();
    };
    const int spinnerY = height / 2 - m_spinner->height();
    m_spinner->move((width() - m_spinner->width()) / 2, spinnerY);
    m_spinner->show();
    const int barY = spinnerY + m_spinner->height() + 40;
    m_progressBar->move((width() - m_progressBar->width()) / 2, barY);
    m_progressBar->show();
    const int valueY = barY + m_progressBar->height() + 15;
    centre(m_progressValue, valueY, 16);
    const int titleY = valueY + 16 + 35;
    centre(m_title, titleY, 16);
    centre(m_hint, titleY + 16 + 10, 16);
    show();
    return 0;
}

int LoadingUI::GetValue() const
{
    return m_progressBar->value();
}

QString LoadingUI::GetHintText() const
{
    return m_hint->text();
}

void LoadingUI::OnValueChanged(int value)
{
    qDebug() << "into LoadingUI::OnValueChanged, and value:" << value;
    m_progressBar->setValue(value);
    m_progressValue->setText(QStringLiteral("%1%").arg(value));
    switch (value) {
    case 10:
        m_hint->setText(QStringLiteral("提示:用户加入成功"));
        break;
    case 20:
        m_hint->setText(QStringLiteral("提示:获取token成功"));
        break;
    case 30:
        m_hint->setText(QStringLiteral("提示:websocket创建成功"));
        break;
    case 50:
        m_hint->setText(QStringLiteral("提示:获取老师信息成功"));
        break;
    default:
        break;
    }
}

void LoadingUI::OnRendLoadingMsg(QString text)
{
    qDebug() << "into LoadingUI::OnRendLoadingMsg, text:" << text;
    m_hint->setText(text);
}
