#include "TeacherInfo.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TeacherInfo::TeacherInfo(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("TEACHER_INFO"));
    m_avatar = new QLabel(this);
    m_name = new QLabel(this);
    m_likeMark = new QPushButton(QStringLiteral("赞"), this);
    m_likeCount = new QPushButton(QStringLiteral("0"), this);

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

void TeacherInfo::RefreshLikeCount()
{
    qDebug() << "into TeacherInfo::RefreshLikeCount";
}

void TeacherInfo::OnUpdateUI()
{
    if (isVisible())
        OnShowTeacherInfo();
}

void TeacherInfo::OnShowTeacherInfo()
{
    QWidget* panel = parentWidget();
    if (panel == nullptr)
        return;
    setGeometry(0, 0, panel->width(), panel->height());
    const int side = width() / 3;
    m_avatar->setFixedSize(side, side);
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
{ }

void TeacherInfo::OnDownloadFinished()
{
    qDebug() << "into TeacherInfo::OnDownloadFinished";
}
