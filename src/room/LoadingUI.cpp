#include "LoadingUI.h"

#include "app/Nexus.h"
#include "widgets/Placement.h"

#include <QDebug>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {
QLabel* MakeLabel(const QString& text, const QString& style, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(style);
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// Centres child horizontally in its parent at y, wide enough for its text.
void Centre(QWidget* child, int y)
{
    child->ensurePolished();
    const QSize hint = child->sizeHint().expandedTo(child->minimumSize());
    const int width = qMin(hint.width(), child->parentWidget()->width());
    child->setGeometry((child->parentWidget()->width() - width) / 2, y, width, hint.height());
    child->show();
}
} // namespace

LoadingUI::LoadingUI(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("LoadingUI"));
    setStyleSheet(QStringLiteral("#LoadingUI{background-color: rgb(255, 255, 255);border:0px;}"));
    m_spinner = new QPushButton(this);
    m_spinner->setObjectName(QStringLiteral("label4Image"));
    m_spinner->setFixedSize(264, 190);
    m_spinner->setFocusPolicy(Qt::NoFocus);
    m_spinner->setStyleSheet(QStringLiteral("image: url(:/resource/loadingui/loadingUi.png);"));
    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setTextVisible(false);
    m_progressBar->setFixedSize(350, 12);
    m_progressBar->setStyleSheet(QStringLiteral(
        "QProgressBar{border:1px solid rgb(255,85,77);border-radius:5px;font:18px;text-align:center;"
        "background-color:rgba(255,111,105,22);}QProgressBar::chunk{background-color:#ff554d;border-radius:4px;}"));
    m_progressValue
        = MakeLabel(QStringLiteral("1%"), QStringLiteral("color:#333333;\nfont:14px Microsoft YaHei;\n"), this);
    m_progressValue->setObjectName(QStringLiteral("progressValue"));
    m_title = MakeLabel(
        QStringLiteral("小维正在努力加载中..."), QStringLiteral("color:#333333;\nfont:14px Microsoft YaHei;"), this);
    m_title->setObjectName(QStringLiteral("label4Desc"));
    m_title->setMinimumSize(141, 16);
    m_hint = MakeLabel(QString(), QStringLiteral("color:#333333;\nfont:12px Microsoft YaHei;"), this);
    m_hint->setObjectName(QStringLiteral("label4Notify"));
    m_hint->setMinimumSize(141, 16);
    connect(this, &LoadingUI::ValueChanged, this, &LoadingUI::OnValueChanged);
}

int LoadingUI::SetupLayout(QWidget* window, int top)
{
    if (!Placement::MoveInto(this, window, "[Error], in LoadingUI::SetupLayout, _widget is NULL"))
        return -1;
    m_window = window;
    const int height = window->height() - top;
    setGeometry(0, top, window->width(), height);
    m_spinner->setStyleSheet(QStringLiteral("QPushButton{image: url(:resource/loadingui/%1/loading.png);border:0px;}")
                                 .arg(Nexus::GetScaleFolder()));

    const int spinnerY = height / 2 - m_spinner->height();
    m_spinner->move((width() - m_spinner->width()) / 2, spinnerY);
    m_spinner->show();
    const int barY = spinnerY + m_spinner->height() + 40;
    m_progressBar->move((width() - m_progressBar->width()) / 2, barY);
    m_progressBar->show();
    Centre(m_progressValue, barY + m_progressBar->height() + 15);
    Centre(m_title, m_progressValue->y() + m_progressValue->height() + 35);
    Centre(m_hint, m_title->y() + m_title->height() + 10);
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
    if (isVisible()) {
        Centre(m_progressValue, m_progressValue->y());
        Centre(m_hint, m_hint->y());
    }
}

void LoadingUI::OnRendLoadingMsg(QString text)
{
    qDebug() << "into LoadingUI::OnRendLoadingMsg, text:" << text;
    m_hint->setText(text);
    if (isVisible())
        Centre(m_hint, m_hint->y());
}
