#include "WhiteBoardWidget.h"

#include <QDebug>
#include <QPushButton>
#include <QTimer>

WhiteBoardWidget::WhiteBoardWidget(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMouseTracking(true);
    setCursor(Qt::ArrowCursor);

    m_laserImage = new QPushButton(this);
    m_laserImage->setFixedSize(20, 20);
    m_laserImage->hide();

    m_laserHideTimer = new QTimer(this);
    m_laserHideTimer->setSingleShot(true);
    connect(m_laserHideTimer, &QTimer::timeout, this, &WhiteBoardWidget::HideLaserPointPos);

    // Automatic connections: the session thread's emissions arrive queued.
    connect(this, &WhiteBoardWidget::RemoteUpdate, this, &WhiteBoardWidget::OnRemoteUpdate);
    connect(this, &WhiteBoardWidget::RemoteUndo, this, &WhiteBoardWidget::OnRemoteUndo);
    connect(this, &WhiteBoardWidget::RemoteRedo, this, &WhiteBoardWidget::OnRemoteRedo);
    connect(this, &WhiteBoardWidget::RemoteReset, this, &WhiteBoardWidget::OnRemoteReset);
    connect(this, &WhiteBoardWidget::RemoteLaserPoint, this, &WhiteBoardWidget::OnRemoteLaserPoint);
    connect(this, &WhiteBoardWidget::ScaleChanged, this, &WhiteBoardWidget::OnScaleChanged);
}

WhiteBoardWidget::~WhiteBoardWidget() = default;

QString WhiteBoardWidget::GetCurrWhiteboardId() const
{
    return m_CurrWhiteboardId.Get();
}

void WhiteBoardWidget::SetCurrWhiteboardId(const QString& whiteboardId)
{
    m_CurrWhiteboardId.Set(whiteboardId);
}

void WhiteBoardWidget::SetShapeType(int type)
{
    if (type == m_vShapeType)
        return;
    if (m_vShapeType == 6)
        StopLasterPointTimer();
    m_vShapeType = type;
    emit ShapeTypeChanged(type);
}

void WhiteBoardWidget::SetColor(QColor color)
{
    m_penColor = color;
}

void WhiteBoardWidget::OnRemoteUpdate()
{
    update();
}

void WhiteBoardWidget::OnRemoteUndo(QString shapeId)
{
    qDebug() << "into Undo, and shapeId:" << shapeId << ",m_CurrWhiteboardId:" << m_CurrWhiteboardId.Get();
    update();
}

void WhiteBoardWidget::OnRemoteRedo(QString shapeId)
{
    qDebug() << "into WhiteBoardWidget Redo, and m_CurrWhiteboardId:" << m_CurrWhiteboardId.Get()
             << ",shapeId:" << shapeId;
    update();
}

void WhiteBoardWidget::OnRemoteReset(QString whiteboardId)
{
    qDebug() << "into Reset, and whiteboardId:" << whiteboardId << ",m_CurrWhiteboardId:" << m_CurrWhiteboardId.Get();
    update();
}

void WhiteBoardWidget::OnRemoteLaserPoint(QPoint point, QString presentationId)
{
    m_laserHideTimer->start(1000);
    // Every page's point is shown until the board knows the page it shows.
    Q_UNUSED(presentationId)
    if (m_canvas == nullptr || m_canvas->width() <= 0 || m_canvas->height() <= 0)
        return;
    const QPoint pixel(point.x() * m_canvas->width() / 800, point.y() * m_canvas->height() / 600);
    m_laserImage->move(pixel);
    m_laserImage->show();
    m_laserImage->raise();
}

void WhiteBoardWidget::OnScaleChanged(double zoom)
{
    m_zoom = zoom;
    update();
}

void WhiteBoardWidget::StopLasterPointTimer()
{
    m_laserHideTimer->stop();
    m_laserImage->hide();
    setCursor(Qt::ArrowCursor);
}

void WhiteBoardWidget::HideLaserPointPos()
{
    m_laserImage->hide();
}
