#pragma once

#include "TestSupport.h"
#include "app/Nexus.h"
#include "session/DataManager.h"
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

    // Writes a w x h PNG at path (its folder made) and returns the path.
    static QString WritePicture(const QString& path, int w, int h, const QColor& colour = QColor("#4a90d9"))
    {
        QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
        QImage image(w, h, QImage::Format_ARGB32);
        image.fill(colour);
        return image.save(path, "PNG") ? path : QString();
    }
};
