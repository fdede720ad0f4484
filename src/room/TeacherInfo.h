#pragma once

#include <QFrame>
#include <QSet>

class QLabel;
class QPushButton;
class DPIWidget4RoundPixmap;

// The teacher's card laid over the video panel while no video tile shows:
// avatar, name and the room's like count.
class TeacherInfo : public QFrame
{
    Q_OBJECT

public:
    explicit TeacherInfo(QWidget* parent = nullptr);

    // Writes the room's like count into the card.
    void RefreshLikeCount();

    QLabel* GetNameLabel() const { return m_name; }
    QPushButton* GetLikeCountButton() const { return m_likeCount; }
    QPushButton* GetLikeMarkButton() const { return m_likeMark; }
    // The avatar file the card paints; empty when none.
    QString GetAvatarPath() const;

signals:
    void UpdateUI();

public slots:
    void OnUpdateUI();
    void OnShowTeacherInfo();
    void OnHideTeacherInfo();
    // Forgets the avatars retried in this class.
    void OnCleanUp();
    // The teacher's avatar file is on disk.
    void OnDownloadFinished();

private:
    // The row's fixed spacings around the name and the like count.
    static constexpr int kRowMargins = 20 + 10 + 20;
    // The picture at path, or the default avatar while there is none.
    void ShowAvatar(const QString& path);

    DPIWidget4RoundPixmap* m_avatar = nullptr;
    QLabel* m_name = nullptr;
    QPushButton* m_likeCount = nullptr;
    QPushButton* m_likeMark = nullptr;
    // Avatar keys already fetched again: a file that downloads but never
    // decodes is fetched once more, not forever.
    QSet<QString> m_retried;
};
