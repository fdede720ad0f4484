#pragma once

#include "../session/RoomSetup.h"
#include "Participant.h"

#include "room/MiddleArea.h"
#include "session/CourseWareInfo.h"
#include "session/MsgType.h"
#include "whiteboard/PresentationItem.h"
#include "whiteboard/PresentationList.h"
#include "whiteboard/QtAvPlayerItem.h"
#include "whiteboard/QtAvPlayerList.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

// Room R100 (pages P1001, P1002 shared, blank P1003; video M2001 shared
// paused at 42 s, audio M2002) entered by the local client as the teacher
// 57 or as the student 58, with the other side (student 59 or teacher 57)
// on the service as a participant. The centre panel is registered with the
// hub and its lists are laid out in the list area.
class ListsRoom : public RoomSetup
{
public:
    ListsRoom() { Nexus::Instance(); }

    MiddleArea middle;
    std::unique_ptr<Participant> other;

    PresentationList* Pages() { return middle.GetPresentationList(); }
    QtAvPlayerList* Media() { return middle.GetQtAvPlayerList(); }
    QWidget* ListArea() { return middle.findChild<QWidget*>(QStringLiteral("m_vPresentationListArea")); }

    bool Enter(int uid)
    {
        Nexus::SetMiddleArea(&middle);
        Nexus::SetPresentationList(Pages());
        Nexus::SetQtAvPlayerList(Media());
        Nexus::SetWhiteBoardWidget(middle.GetWhiteBoardWidget());
        Nexus::SetPaletteWidget(middle.GetPaletteWidget());
        if (!Start("1"))
            return false;
        data->SetUserId(uid);
        other = std::make_unique<Participant>(service, uid == 57 ? "59" : "57", "R100");
        if (!other->Join())
            return false;
        AddSession("S100", "R100", "100100");
        data->OnRoomEntry("S100");
        emit data->EnterRoom();
        return QTest::qWaitFor([this] { return Nexus::GetDataPrepPhase() == 3 && Media()->count() == 2; }, 15000);
    }

    // Lays both lists out in a list area of the given size, as the centre
    // panel places them.
    void LayOut(const QSize& area)
    {
        middle.resize(area);
        middle.show();
        ListArea()->resize(area);
        ListArea()->show();
        Media()->SetupLayout(10, ListArea());
        Pages()->SetupLayout(10, ListArea());
    }

    // Whether every row's widget sits in its row of both lists, none left
    // over another one.
    bool RowsInPlace()
    {
        for (QListWidget* list : { static_cast<QListWidget*>(Media()), static_cast<QListWidget*>(Pages()) }) {
            for (int row = 0; row < list->count(); ++row) {
                const QWidget* widget = list->itemWidget(list->item(row));
                if (widget && widget->pos() != list->visualItemRect(list->item(row)).topLeft())
                    return false;
            }
        }
        return true;
    }

    PresentationItem* Page(const QString& id)
    {
        for (PresentationItem* item : Pages()->GetItems()) {
            if (item->GetPresentationId() == id)
                return item;
        }
        return nullptr;
    }
    QStringList PageIds()
    {
        QStringList ids;
        for (PresentationItem* item : Pages()->GetItems())
            ids << item->GetPresentationId();
        return ids;
    }

    // A left press on a row's thumbnail, as the user's click starts.
    static void Press(QWidget* thumbnail) { QTest::mousePress(thumbnail, Qt::LeftButton, {}, QPoint(5, 5)); }

    // Answers the next file dialog with the files (quoted names typed into
    // its name field, as a user may type them).
    static void ChooseFiles(const QString& folder, const QStringList& names)
    {
        auto* timer = new QTimer();
        QObject::connect(timer, &QTimer::timeout, [timer, folder, names] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr)
                return;
            timer->deleteLater();
            dialog->setDirectory(folder);
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QLatin1Char('"') + names.join(QStringLiteral("\" \"")) + QLatin1Char('"'));
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        });
        timer->start(20);
    }

    // The service sends one message to the local user.
    bool Push(int type, const QJsonValue& data)
    {
        const QString uid = QString::number(this->data->GetUserId());
        const QJsonObject message { { "type", type }, { "source", "0" }, { "dest", uid }, { "data", data } };
        return room->Push(uid, QJsonDocument(message).toJson(QJsonDocument::Compact)) == 1;
    }

    // The room's list grows by these pages (id, picture path on the
    // service), as after an upload elsewhere.
    bool AddPages(const QList<QPair<QString, QString>>& added)
    {
        QJsonArray pages;
        for (const CourseWareInfo* page : data->GetCourseWareList())
            pages.append(QJsonObject { { "presentationId", page->GetPresentationId() } });
        QJsonArray fresh;
        for (const auto& page : added)
            fresh.append(QJsonObject { { "presentationId", page.first }, { "whiteboardId", "W" + page.first },
                { "slide", service.HttpsUrl(page.second).toString() } });
        for (const QJsonValue& page : fresh)
            pages.append(page);
        // The service lists them too, so a list it answers later keeps them.
        return room->AddPages("R100", fresh) && Push(MsgGetCourseWare, QJsonObject { { "presentations", pages } });
    }

    // What the local user sent of type, oldest first.
    QList<QJsonObject> Sent(int type) { return room->Sent(QString::number(data->GetUserId()), type); }
};
