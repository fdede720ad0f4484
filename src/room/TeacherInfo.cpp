#include "TeacherInfo.h"

#include "app/DownldManager.h"
#include "app/DownloadElem.h"
#include "app/Nexus.h"
#include "session/DataManager.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QPushButton>
#include <QVBoxLayout>

// The teacher's picture cut to a circle; a grey disc while there is none.
class TeacherAvatar : public QWidget
{
public:
    explicit TeacherAvatar(QWidget* parent)
        : QWidget(parent)
    { }

    void SetPath(const QString& path)
    {
        m_path = path;
        update();
    }
    QString GetPath() const { return m_path; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        const int side = qMin(width(), height());
        const QRect circle((width() - side) / 2, (height() - side) / 2, side, side);
        QPainterPath clip;
        clip.addEllipse(circle);
        QPixmap picture;
        if (!m_path.isEmpty() && !QPixmapCache::find(m_path, &picture) && picture.load(m_path))
            QPixmapCache::insert(m_path, picture);
        if (picture.isNull()) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0xE4, 0xE7, 0xEC));
            painter.drawPath(clip);
            // A plain head and shoulders in the disc.
            painter.setBrush(QColor(0xFF, 0xFF, 0xFF));
            painter.setClipPath(clip);
            const double s = side;
            painter.drawEllipse(QRectF(circle.x() + s * 0.33, circle.y() + s * 0.2, s * 0.34, s * 0.34));
            painter.drawEllipse(QRectF(circle.x() + s * 0.18, circle.y() + s * 0.6, s * 0.64, s * 0.6));
            return;
        }
        painter.setClipPath(clip);
        const QPixmap scaled = picture.scaled(
            circle.size() * devicePixelRatioF(), Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
        const QSize logical = scaled.size() / devicePixelRatioF();
        painter.drawPixmap(QRect(circle.x() + (side - logical.width()) / 2, circle.y() + (side - logical.height()) / 2,
                               logical.width(), logical.height()),
            scaled);
    }

private:
    QString m_path;
};

TeacherInfo::TeacherInfo(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("TEACHER_INFO"));
    setStyleSheet(QStringLiteral("#TEACHER_INFO{background:%1;border-bottom-width: 1px;border-bottom-color: "
                                 "rgb(236,236,236);border-bottom-style: solid;}")
                      .arg(QStringLiteral("#FAFBFC")));
    m_avatar = new TeacherAvatar(this);
    m_avatar->setStyleSheet(QStringLiteral("border:0px;"));
    m_name = new QLabel(this);
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
    return m_avatar->GetPath();
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
    m_avatar->SetPath(room.m_strTeacherAvatarPath);

    m_name->setText(m_name->fontMetrics().elidedText(room.m_strTeacherName, Qt::ElideRight, width() / 2));
    m_name->setToolTip(room.m_strTeacherName);
    m_name->setFixedHeight(18);
    m_name->adjustSize();
    m_name->show();

    m_likeMark->setFixedSize(24, 24);
    m_likeCount->setText(QString::number(room.m_dwTeacherLikeTotal));
    m_likeCount->setFixedHeight(18);
    m_likeCount->show();
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
    QPixmap picture;
    if (!QPixmapCache::find(path, &picture) && picture.load(path))
        QPixmapCache::insert(path, picture);
    if (picture.isNull()) {
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
        return;
    }
    m_avatar->SetPath(path);
}
