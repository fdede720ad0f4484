#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// The teacher's card laid over the video panel while no video tile shows:
// avatar, name and the room's like count.
class TeacherInfo : public QFrame
{
    Q_OBJECT

public:
    explicit TeacherInfo(QWidget* parent = nullptr);

    // Writes the room's like count into the card.
    void RefreshLikeCount();

signals:
    void UpdateUI();

public slots:
    void OnUpdateUI();
    void OnShowTeacherInfo();
    void OnHideTeacherInfo();
    // Drops a pending avatar download.
    void OnCleanUp();
    // The teacher's avatar file is on disk.
    void OnDownloadFinished();

private:
    QLabel* m_avatar = nullptr;
    QLabel* m_name = nullptr;
    QPushButton* m_likeCount = nullptr;
    QPushButton* m_likeMark = nullptr;
};
