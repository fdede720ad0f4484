#pragma once

#include <QObject>

class CAgoraObject;

// The video panel's engine holder. Callers test GetAgoraObject() before
// every engine operation; it stays null until an engine has been made.
class MediaPlayer : public QObject
{
    Q_OBJECT

public:
    explicit MediaPlayer(QObject* parent = nullptr);

    CAgoraObject* GetAgoraObject() const { return m_agoraObject; }
    // Hands over the engine made by the engine start-up (not owned).
    void SetAgoraObject(CAgoraObject* engine) { m_agoraObject = engine; }
    // Starts the engine and joins the room's channel; false without an
    // engine.
    bool InitPlayer();

private:
    CAgoraObject* m_agoraObject = nullptr; // not owned
};
