#pragma once

#include <QString>
#include <QWidget>

// The accompaniment bar: mixes a local audio file into the local user's
// outgoing audio.
class AudioMixPlayer : public QWidget
{
    Q_OBJECT

public:
    explicit AudioMixPlayer(const QString& path = QString(), QWidget* parent = nullptr);

    QString GetPath() const { return m_path; }

public slots:
    void stop();

private:
    QString m_path;
};
