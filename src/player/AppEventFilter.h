#pragma once

#include <QObject>
#include <QPointer>

// Hands the files the desktop asks the application to open to a player's
// play(QUrl) slot. Only the application object's events are looked at.
class AppEventFilter : public QObject
{
    Q_OBJECT

public:
    AppEventFilter(QObject* player = nullptr, QObject* parent = nullptr);

    // A file-open event is consumed (and played when there is a player);
    // every other event passes on.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QObject> m_player;
};
