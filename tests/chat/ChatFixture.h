#pragma once

#include "TestSupport.h"
#include "app/Nexus.h"
#include "session/DataManager.h"
#include "ui/chatArea/ChatImageStruct.h"
#include "ui/chatArea/ChatWidget.h"

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <memory>

// The hub with its session (threads not started) and a registered chat
// panel of a chosen width, which the rows measure themselves against.
struct ChatFixture {
    std::unique_ptr<ChatWidget> panel;

    explicit ChatFixture(int panelWidth = 300, int localUid = 42)
    {
        Nexus::Startup();
        panel = std::make_unique<ChatWidget>();
        panel->resize(panelWidth, 400);
        Nexus::SetChatWidget(panel.get());
        Nexus::GetDataManager()->SetUserId(localUid);
    }
    ~ChatFixture() { Nexus::SetChatWidget(nullptr); }

    // Writes <name>-x<scale>.png of widget, as a person sees it at that
    // display scale.
    static bool SaveScaledScreenshot(QWidget* widget, const QString& name, double scale)
    {
        QCoreApplication::processEvents();
        QDir().mkpath(TestSupport::ScreenshotFolder());
        QPixmap shot(widget->size() * scale);
        shot.setDevicePixelRatio(scale);
        shot.fill(Qt::white);
        widget->render(&shot);
        return shot.save(QStringLiteral("%1/%2-x%3.png").arg(TestSupport::ScreenshotFolder(), name).arg(scale));
    }

    // A picture message of 张华 (uid 7): its small picture is
    // https://pic.example/s/<id>.png, stored as chatImage/<id>.png.
    static chatImageStruct Received(const QString& id, const QString& size, int sendTime = 0)
    {
        chatImageStruct message;
        message.sendTime = sendTime;
        message.senderUid = 7;
        message.senderName = QStringLiteral("张华");
        message.imageId = id;
        message.slideUrl = QStringLiteral("https://pic.example/s/%1.png").arg(id);
        message.slideSize = size;
        message.normalUrl = QStringLiteral("https://pic.example/n/%1-full.png").arg(id);
        return message;
    }

    // Writes a w x h PNG at path (its folder made) and returns the path.
    static QString WritePicture(const QString& path, int w, int h, const QColor& colour = QColor("#4a90d9"))
    {
        QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
        QImage image(w, h, QImage::Format_ARGB32);
        image.fill(colour);
        return image.save(path, "PNG") ? path : QString();
    }
};
