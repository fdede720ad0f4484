#include "QtMaterialCircularProgress.h"

#include <QConicalGradient>
#include <QPainter>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>

QtMaterialCircularProgressDelegate::QtMaterialCircularProgressDelegate(QtMaterialCircularProgress* parent)
    : QObject(parent)
    , m_widget(parent)
{ }

void QtMaterialCircularProgressDelegate::setProgress(int progress)
{
    m_progress = progress;
    m_widget->update();
}

QtMaterialCircularProgress::QtMaterialCircularProgress(QWidget* parent)
    : QWidget(parent)
    , m_group(new QParallelAnimationGroup(this))
    , m_delegate(new QtMaterialCircularProgressDelegate(this))
{
    m_group->setLoopCount(-1);
    m_animation = new QPropertyAnimation(m_delegate, "progress", m_group);
    m_animation->setEasingCurve(QEasingCurve::InOutQuad);
    m_animation->setStartValue(1);
    m_animation->setEndValue(180);
    m_animation->setDuration(500);
    m_group->addAnimation(m_animation);
    connect(m_animation, &QPropertyAnimation::finished, this, &QtMaterialCircularProgress::OnAnimationFinished);
}

void QtMaterialCircularProgress::startSpinning()
{
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

void QtMaterialCircularProgress::OnAnimationFinished()
{
    m_group->stop();
    // The arc grows and shrinks through a fixed cycle of lengths.
    struct Step {
        int from;
        int to;
        int ms;
    };
    static const Step kSteps[] = { { 90, 270, 500 }, { 180, 90, 250 }, { 120, 180, 200 }, { 270, 120, 480 } };
    const int reached = m_animation->currentValue().toInt();
    for (const Step& step : kSteps) {
        if (reached == step.from) {
            m_animation->setStartValue(m_loadingAngle);
            m_animation->setEndValue(step.to);
            m_animation->setDuration(step.ms);
            break;
        }
    }
    m_group->start();
}

void QtMaterialCircularProgress::paintEvent(QPaintEvent*)
{
    m_loadingAngle = m_delegate->progress();
    if (m_loadingAngle == 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect arcRect = rect().adjusted(m_arcWidth, m_arcWidth, -m_arcWidth, -m_arcWidth);
    QConicalGradient gradient(arcRect.center(), 90);
    gradient.setColorAt(0, QColor(QStringLiteral("#ace4d2")));
    gradient.setColorAt(0.7, QColor(QStringLiteral("#4fc8a0")));
    gradient.setColorAt(1, QColor(QStringLiteral("#ace4d2")));
    painter.setPen(QPen(QBrush(gradient), m_arcWidth, Qt::SolidLine, Qt::RoundCap, Qt::BevelJoin));
    const int startAngle = 1440 - (m_arcWidth / 3 + m_arcWidth);
    painter.drawArc(arcRect, startAngle, -16 * m_loadingAngle);
}
