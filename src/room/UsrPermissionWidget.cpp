#include "UsrPermissionWidget.h"

#include "app/Nexus.h"
#include "room/UsrPermissionItem.h"
#include "room/UsrPermissionTable.h"
#include "session/DataManager.h"
#include "session/UserInfo.h"

#include <QDebug>

namespace {
struct RightRow {
    int control; // the local user's bit that allows changing it
    int bit; // the participant's right
    const char* forbid;
    const char* allow;
};
const RightRow kRightRows[] = {
    { 2, 1, "禁用开麦", "允许开麦" },
    { 8, 4, "禁用视频", "允许视频" },
    { 32, 16, "禁用聊天", "允许聊天" },
    { 256, 128, "禁用画板", "允许画板" },
};
constexpr int kMicrophoneControl = 2;
} // namespace

UsrPermissionWidget::UsrPermissionWidget(QWidget* parent)
    : QWidget(parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setMouseTracking(true);
    setObjectName(QStringLiteral("UsrPermissionWidget"));
}

QStringList UsrPermissionWidget::GetTexts() const
{
    return m_table != nullptr ? m_table->GetTexts() : QStringList();
}

void UsrPermissionWidget::DropTable()
{
    if (m_table == nullptr)
        return;
    m_table->hide();
    m_table->lower();
    m_table->clear();
    m_table->deleteLater();
    m_table = nullptr;
    m_uid = 0;
}

bool UsrPermissionWidget::initWindow(int width, int height, UserInfo* info)
{
    DataManager* data = Nexus::GetDataManager();
    const int own = data != nullptr ? data->GetPermission() : 0;
    const int alterable = info != nullptr ? info->GetPermissionAlterable() : 0;
    const int held = info != nullptr ? info->GetPermission() : 0;
    int rows = 0;
    for (const RightRow& right : kRightRows) {
        if ((own & right.control) != 0 && (alterable & right.bit) != 0)
            ++rows;
    }
    if ((own & kMicrophoneControl) != 0)
        rows += 2;
    // The previous table would act on the previous participant, who may be
    // gone: an empty pop-up instead.
    DropTable();
    if (rows == 0 || info == nullptr)
        return false;

    m_table = new UsrPermissionTable(this);
    m_table->SetShape(rows, 1, width, height);
    m_table->SetMaxVisibleRows(7);
    m_table->InitUI();
    m_uid = info->GetUid();
    for (const RightRow& right : kRightRows) {
        if ((own & right.control) == 0 || (alterable & right.bit) == 0)
            continue;
        const bool holds = (held & right.bit) != 0;
        m_table->AddItem(QString::fromUtf8(holds ? right.forbid : right.allow), info, right.bit, ~right.bit,
            holds ? UsrPermissionItem::KindForbid : UsrPermissionItem::KindAllow);
    }
    if ((own & kMicrophoneControl) != 0) {
        m_table->AddItem(QStringLiteral("设为按键说话"), info, UsrPermissionItem::PushToTalkBit,
            ~UsrPermissionItem::PushToTalkBit, UsrPermissionItem::KindForbid);
        m_table->AddItem(QStringLiteral("踢出教室"), info, UsrPermissionItem::RemoveBit, ~UsrPermissionItem::RemoveBit,
            UsrPermissionItem::KindForbid);
    }
    connect(m_table, &UsrPermissionTable::ItemChosen, this, [this] {
        lower();
        hide();
    });
    qDebug() << "initWindow,columnCount:" << m_table->columnCount();
    m_table->move(6, 6);
    m_table->show();
    setFixedSize(m_table->width() + 12, m_table->height() + 12);
    return true;
}
