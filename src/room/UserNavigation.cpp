#include "UserNavigation.h"

#include "app/Nexus.h"
#include "room/LeftArea.h"
#include "room/UserList.h"

#include <QMouseEvent>
#include <QPushButton>

UserNavigation::UserNavigation(QWidget* parent)
    : QLabel(parent)
    , m_arrow(new QPushButton(this))
    , m_title(new QLabel(this))
{
    m_arrow->setFixedSize(12, 12);
    m_arrow->setFocusPolicy(Qt::NoFocus);
    m_arrow->setCursor(Qt::PointingHandCursor);
    m_title->setStyleSheet(QStringLiteral("border:0px;background-color:rgba(0,0,0,0);border:0px solid "
                                          "blue;font:14px Microsoft YaHei;color:%1;")
                               .arg(QStringLiteral("#787879")));
    m_title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_title->setCursor(Qt::PointingHandCursor);
    UpdateArrowCSS();
    connect(m_arrow, &QPushButton::clicked, this, &UserNavigation::OnClicked);
    hide();
}

QString UserNavigation::GetTitle() const
{
    return m_title->text();
}

QString UserNavigation::TitleFor(int role, int num)
{
    QString head;
    switch (role) {
    case 4:
        head = QStringLiteral("教学(");
        break;
    case 5:
        head = QStringLiteral("学员(");
        break;
    case 6:
        head = QStringLiteral("旁听(");
        break;
    case 7:
        head = QStringLiteral("体验者(");
        break;
    default:
        return QString();
    }
    return head + QString::number(num) + QLatin1Char(')');
}

void UserNavigation::OnNumChanged(int role, int num)
{
    m_title->setText(TitleFor(role, num));
}

void UserNavigation::Layout()
{
    // The narrow panel (80 px) needs every pixel for "体验者(12)".
    const int arrowX = width() < 100 ? 3 : 10;
    m_arrow->move(arrowX, (height() - m_arrow->height()) / 2);
    const int titleX = arrowX + m_arrow->width() + (width() < 100 ? 2 : 6);
    m_title->setGeometry(titleX, (height() - 17) / 2, qMax(0, width() - titleX), 17);
    m_arrow->show();
    m_title->show();
    show();
}

void UserNavigation::UpdateArrowCSS()
{
    m_arrow->setStyleSheet(m_folded
            ? QStringLiteral("QPushButton{image: url(:resource/userlist/list_icon_arrow2_normal.png);border:0px;}")
            : QStringLiteral("QPushButton{image: url(:resource/userlist/list_icon_arrow1_normal.png);border:0px;}"));
    m_arrow->show();
}

void UserNavigation::OnClicked()
{
    m_folded = !m_folded;
    UpdateArrowCSS();
    LeftArea* left = Nexus::GetLeftArea();
    if (left != nullptr && left->GetUserList() == m_tree && left->GetMainWindow() != nullptr)
        left->SetupLayout(left->GetMainWindow());
    else if (auto* list = qobject_cast<UserList*>(m_tree))
        list->RefreshUI();
}

void UserNavigation::mousePressEvent(QMouseEvent* event)
{
    QLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        OnClicked();
}
