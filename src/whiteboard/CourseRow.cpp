#include "CourseRow.h"

#include "app/Nexus.h"
#include "room/MiddleArea.h"
#include "session/DataManager.h"
#include "whiteboard/WhiteBoardWidget.h"
#include "widgets/RoundProgressBar.h"

#include <QMouseEvent>

namespace CourseRow {

bool IsBoardTeacher()
{
    const DataManager* data = Nexus::GetDataManager();
    return data != nullptr && WhiteBoardWidget::HasWhiteboardRight() && data->GetRoomRole() == 4;
}

void Notify(int notice)
{
    if (MiddleArea* middle = Nexus::GetMiddleArea())
        emit middle->ShowMsgNotifyWidget(notice);
}

QString IconButtonStyle(const QString& picture)
{
    // Without a border rule the background would draw a bevelled button.
    return QStringLiteral("QPushButton{image: url(:resource/courselist/%1/%2);background:rgba(255,72,68,0%);}"
                          "QPushButton{border:0px;}")
        .arg(Nexus::GetScaleFolder(), picture);
}

RoundProgressBar* MakeGauge(QWidget* parent)
{
    auto* gauge = new RoundProgressBar(parent);
    gauge->setRange(0, 100);
    gauge->setValue(0);
    gauge->setStyleSheet(QStringLiteral("background:rgb(255,255,255);"));
    gauge->setDecimalPlaces(0);
    gauge->setStyleMode(RoundProgressBar::StyleLine);
    gauge->setOutlineWidth(9);
    gauge->setArcWidth(6);
    gauge->hide();
    return gauge;
}

void PlaceGauge(RoundProgressBar* gauge, const QRect& thumbnail)
{
    if (gauge == nullptr || gauge->value() == 100)
        return;
    gauge->setFixedSize(60, 60);
    gauge->move(thumbnail.center() - QPoint(29, 29));
    gauge->show();
    gauge->raise();
}

bool IsLeftPress(const QObject* watched, const QObject* target, const QEvent* event)
{
    return watched == target && event->type() == QEvent::MouseButtonPress
        && static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton;
}

QString ScrollBarStyle()
{
    return QStringLiteral(
        "QScrollBar:vertical{width:5px;background:transparent;padding-top:9px;padding-bottom:9px;border:0px;}"
        "QScrollBar::handle:vertical{background:rgba(0,0,0,25%);border-radius:2px;min-height:20px;}"
        "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:9px;width:0px;}"
        "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:transparent;}");
}

} // namespace CourseRow
