#include "TeacherInfo.h"

#include "app/DownldManager.h"
#include "app/DownloadElem.h"
#include "app/Nexus.h"
#include "app/SharedFunctions.h"
#include "session/DataManager.h"
#include "widgets/DPIWidget4RoundPixmap.h"
#include "widgets/DpiPixmap.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmapCache>
#include <QPushButton>
#include <QVBoxLayout>

TeacherInfo::TeacherInfo(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("TEACHER_INFO"));
    setStyleSheet(QStringLiteral("#TEACHER_INFO{background:%1;border-bottom-width: 1px;border-bottom-color: "
                                 "rgb(236,236,236);border-bottom-style: solid;}")
                      .arg(QStringLiteral("#FAFBFC")));
    m_avatar = new DPIWidget4RoundPixmap(this);
    m_avatar->setStyleSheet(QStringLiteral("border:0px;"));
    m_name = new QLabel(this);
    // The name comes from the school's service: never markup.
    m_name->setTextFormat(Qt::PlainText);
    m_name->setStyleSheet(QStringLiteral("color:#343434; font:16px Microsoft YaHei UI;"));
    const QString buttonStyle = QStringLiteral("color:#666666;font:16px Microsoft YaHei UI;border:0px;");
    m_likeMark = new QPushButton(QStringLiteral("赞"), this);
    m_likeMark->setStyleSheet(buttonStyle);
    m_likeMark->setFocusPolicy(Qt::NoFocus);
    m_likeCount = new QPushButton(QStringLiteral("0"), this);
    m_likeCount->setStyleSheet(buttonStyle);
    m_likeCount->setFocusPolicy(Qt::NoFocus);

    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addSpacing(20);
    row->addWidget(m_name);
    row->addSpacing(10);
    row->addStretch(6);
    row->addWidget(m_likeMark);
    row->addWidget(m_likeCount);
    row->addSpacing(20);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    column->addStretch(4);
    column->addWidget(m_avatar, 0, Qt::AlignHCenter);
    column->addSpacing(10);
    column->addStretch(2);
    column->addLayout(row);
    column->addStretch(1);

    connect(this, &TeacherInfo::UpdateUI, this, &TeacherInfo::OnUpdateUI);
    hide();
}

QString TeacherInfo::GetAvatarPath() const
{
    return m_avatar->GetPixmapPath();
}

void TeacherInfo::ShowAvatar(const QString& path)
{
    m_avatar->SetPixmapPath(path);
    if (m_avatar->HasPicture())
        return;
    m_avatar->SetPixmapPath(DpiPixmap::DefaultAvatar(Nexus::GetScaleFolder()));
}

void TeacherInfo::RefreshLikeCount()
{
    if (DataManager* data = Nexus::GetDataManager())
        m_likeCount->setText(QString::number(data->GetTeacherLikeTotal()));
}

void TeacherInfo::OnUpdateUI()
{
    if (isVisible())
        OnShowTeacherInfo();
}

void TeacherInfo::OnShowTeacherInfo()
{
    DataManager* data = Nexus::GetDataManager();
    if (!data)
        return;
    // The card belongs to its video panel and covers it whole.
    QWidget* panel = parentWidget();
    if (!panel)
        return;
    setGeometry(0, 0, panel->width(), panel->height());

    const RoomFields room = data->GetRoomFields();
    const int side = width() / 3;
    m_avatar->setFixedSize(side, side);
    ShowAvatar(room.m_strTeacherAvatarPath);

    m_likeMark->setFixedSize(24, 24);
    m_likeCount->setText(QString::number(room.m_dwTeacherLikeTotal));
    m_likeCount->setFixedHeight(18);
    m_likeCount->show();

    // Half the card, and never more than the row leaves beside the like
    // count; measured in the label's own font, which its style sheet sets.
    m_name->ensurePolished();
    m_likeCount->ensurePolished();
    const int beside = kRowMargins + m_likeMark->width() + m_likeCount->sizeHint().width();
    const int limit = qMax(0, qMin(width() / 2, width() - beside));
    m_name->setText(ElideText(m_name->font(), room.m_strTeacherName, limit));
    m_name->setToolTip(PlainToolTip(room.m_strTeacherName));
    m_name->setFixedHeight(18);
    m_name->adjustSize();
    m_name->show();
    m_avatar->show();
    show();
    raise();
}

void TeacherInfo::OnHideTeacherInfo()
{
    hide();
    m_name->hide();
}

void TeacherInfo::OnCleanUp()
{
    m_retried.clear();
    // Nothing of this class's teacher may show in the next one.
    m_avatar->SetPixmapPath(QString());
    m_name->clear();
    m_name->setToolTip(QString());
}

void TeacherInfo::OnDownloadFinished()
{
    qDebug() << "into TeacherInfo::OnDownloadFinished";
    DataManager* data = Nexus::GetDataManager();
    if (!data)
        return;
    const RoomFields room = data->GetRoomFields();
    const QString path = room.m_strTeacherAvatarPath;
    // No teacher card of this room named a picture: nothing to show or fetch.
    if (path.isEmpty())
        return;
    // Read at the size the card shows it, never at the file's own size.
    ShowAvatar(path);
    if (m_avatar->GetPixmapPath() != path) {
        qDebug() << "into TeacherInfo::OnDownloadFinish, and pixmap is null, and will make retry download, and head "
                    "path:"
                 << path;
        QPixmapCache::remove(path);
        const QString key = room.m_strTeacherId;
        if (m_retried.contains(key)) {
            qDebug() << "the teacher's avatar was fetched again already and is still no picture, the card keeps the "
                        "default avatar, key:"
                     << key;
            return;
        }
        m_retried.insert(key);
        if (DownldManager* downloads = Nexus::GetDownldManager())
            emit downloads->retryDownload(DownloadTeacherAvatar, key);
    }
}
