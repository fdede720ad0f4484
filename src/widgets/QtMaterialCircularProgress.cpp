#include "QtMaterialCircularProgress.h"

#include <QConicalGradient>
#include <QPainter>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>

QtMaterialCircularProgressDelegate::QtMaterialCircularProgressDelegate(QWidget* progressWidget)
    : QObject(progressWidget)
    , m_widget(progressWidget)
{ }

void QtMaterialCircularProgressDelegate::setProgress(int progress)
{
    m_progress = progress;
    m_widget->update();
}

QtMaterialCircularProgress::QtMaterialCircularProgress(QWidget* parent)
    : QWidget(parent)
    , m_group(new QParallelAnimationGroup(this))
    , m_animation(nullptr)
    , m_delegate(new QtMaterialCircularProgressDelegate(this))
{
    m_group->setLoopCount(-1);
    m_animation = new QPropertyAnimation(m_delegate, "progress", m_group);
    m_animation->setEasingCurve(QEasingCurve::InOutQuad);
    m_animation->setStartValue(1);
    m_animation->setEndValue(180);
    m_animation->setDuration(500);
    m_group->addAnimation(m_animation);
    connect(m_animation, &QPropertyAnimation::finished, this, &QtMaterialCircularProgress::OnStepFinished);
    // With a looping group the single animation never reports its end, so
    // each lap's end is taken from the group's loop change.
    connect(m_group, &QAbstractAnimation::currentLoopChanged, this, &QtMaterialCircularProgress::OnStepFinished);
}

void QtMaterialCircularProgress::startSpinning()
{
    if (m_group->state() != QAbstractAnimation::Running)
        m_group->start();
}

void QtMaterialCircularProgress::stopSpinning()
{
    m_delegate->setProgress(0);
    update();
    m_group->stop();
}

bool QtMaterialCircularProgress::isSpinning() const
{
    return m_group->state() == QAbstractAnimation::Running;
}

void QtMaterialCircularProgress::setArcWidth(int width)
{
    m_arcWidth = width;
    update();
}

void QtMaterialCircularProgress::OnStepFinished()
{
    // The arc cycles 180 -> 90 -> 270 -> 120 -> 180 ...
    int next = -1;
    int duration = 0;
    switch (m_animation->endValue().toInt()) {
    case 90:
        next = 270;
        duration = 500;
        break;
    case 180:
        next = 90;
        duration = 250;
        break;
    case 120:
        next = 180;
        duration = 200;
        break;
    case 270:
        next = 120;
        duration = 480;
        break;
    default:
        return;
    }
    m_group->stop();
    m_animation->setStartValue(m_loadingAngle);
    m_animation->setEndValue(next);
    m_animation->setDuration(duration);
    m_group->start();
}

void QtMaterialCircularProgress::paintEvent(QPaintEvent*)
{
    m_loadingAngle = m_delegate->progress();
    if (m_loadingAngle == 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect arc = rect().adjusted(m_arcWidth, m_arcWidth, -m_arcWidth, -m_arcWidth);
    QConicalGradient gradient(arc.center(), 90);
    gradient.setColorAt(0, QColor(QStringLiteral("#ace4d2")));
    gradient.setColorAt(0.7, QColor(QStringLiteral("#4fc8a0")));
    gradient.setColorAt(1, QColor(QStringLiteral("#ace4d2")));
    QPen pen(QBrush(gradient), m_arcWidth, Qt::SolidLine, Qt::RoundCap, Qt::BevelJoin);
    painter.setPen(pen);
    painter.drawArc(arc, 1440 - (m_arcWidth / 3 + m_arcWidth), -16 * m_loadingAngle);
}
