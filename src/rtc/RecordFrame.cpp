#include "RecordFrame.h"

#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "room/MenuBar.h"

#include <QDebug>
#include <QGraphicsDropShadowEffect>
#include <QPushButton>

RecordFrame::RecordFrame(const QString& objectName, const QSize& size, QWidget* parent)
    : QFrame(parent)
{
    setObjectName(objectName);
    setStyleSheet(QStringLiteral("#%1{border: 1px solid  rgba(0,0,0, 17);background-color: rgb(255, 255, 255);}")
                      .arg(objectName));
    setFixedSize(size);
    hide();
}

void RecordFrame::HideDialog()
{
    lower();
    hide();
}

QWidget* RecordFrame::AttachToMainWindow()
{
    if (isVisible())
        hide();
    QWidget* window = Nexus::GetMainWindow();
    if (!window) {
        qDebug() << "[Error], in" << objectName() << "ShowDialog, no main window";
        return nullptr;
    }
    if (parentWidget() != window)
        setParent(window);
    Profile* profile = Nexus::GetProfile();
    const bool shadow = profile && profile->GetShadowSetting() == 1;
    if (shadow && !graphicsEffect()) {
        auto* effect = new QGraphicsDropShadowEffect(this);
        effect->setOffset(2, 2);
        effect->setColor(Qt::gray);
        effect->setBlurRadius(5);
        setGraphicsEffect(effect);
    } else if (!shadow && graphicsEffect()) {
        setGraphicsEffect(nullptr);
    }
    return window;
}

void RecordFrame::PlaceAboveRecordButton(QWidget* window)
{
    MenuBar* bar = Nexus::GetMenuBar();
    QPushButton* button = bar ? bar->GetRecordButton() : nullptr;
    QPoint at((window->width() - width()) / 2, (window->height() - height()) / 2);
    if (button && window->isAncestorOf(button)) {
        const QPoint corner = button->mapTo(window, QPoint(0, 0));
        at = QPoint(corner.x(), corner.y() - 1 - height());
    }
    // A button near the window's right edge would push the frame out of it.
    at.setX(qBound(0, at.x(), qMax(0, window->width() - width())));
    at.setY(qBound(0, at.y(), qMax(0, window->height() - height())));
    move(at);
}

void RecordFrame::Present()
{
    show();
    raise();
}

void RecordFrame::RefreshMenuBar()
{
    MenuBar* bar = Nexus::GetMenuBar();
    if (!bar)
        return;
    bar->OnUpdateAudioRecordStatus();
    if (MainWindow* window = Nexus::GetMainWindow())
        bar->SetupLayout(window);
}
