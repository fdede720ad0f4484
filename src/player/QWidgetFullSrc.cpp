#include "QWidgetFullSrc.h"

#include <QDateTime>
#include <QDebug>
#include <QKeyEvent>
#include <QPalette>

QWidgetFullSrc::QWidgetFullSrc(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
}

void QWidgetFullSrc::keyPressEvent(QKeyEvent* event)
{
    qDebug() << "into QWidgetFullSrc::keypressEvent key ==" << event->key()
             << "time:" << QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz"));
    if (event->key() == Qt::Key_Escape && isFullScreen()) {
        emit pressEsc();
        return;
    }
    QWidget::keyPressEvent(event);
}
