#pragma once

#include <QString>
#include <QWidget>

class DPIWidget4RectPixmap;
class PresentationList;
class QLabel;
class QPushButton;
class RowDeleteButton;
class RoundProgressBar;

// One course-page row of the course-page list: the page's thumbnail with
// its number, the teacher's-current-page badge, a delete button for the
// teacher and a refresh button after a failed download. Created with the
// list as parent and filled by the hub or by an upload. GUI thread.
//
// A row passes through: upload placeholder (image path "uploadShow.png",
// gauge shown) -> loading (animation while the picture is not there) ->
// shown, or failed (fail picture and refresh button) -> shown after a
// successful retry.
class PresentationItem : public QWidget
{
    Q_OBJECT

public:
    explicit PresentationItem(QWidget* parent = nullptr);

    int GetNumber() const { return m_number; }
    void SetNumber(int number);
    // The local file of the page's picture, "uploadShow.png" for an upload
    // still being converted, or a path ending in "blank.png".
    QString GetImagePath() const { return m_imagePath; }
    void SetImagePath(const QString& path) { m_imagePath = path; }
    QString GetPresentationId() const { return m_presentationId; }
    void SetPresentationId(const QString& presentationId) { m_presentationId = presentationId; }
    PresentationList* GetOwnerList() const { return m_ownerList; }
    void SetOwnerList(PresentationList* list) { m_ownerList = list; }
    bool IsUploadPlaceholder() const;

    // The teacher's-current-page badge; showing it makes this row the
    // list's focused one.
    void ShowCurrentPageBadge();
    void HideCurrentPageBadge();
    bool IsBadgeShown() const;

    // The thumbnail shows the image path's picture (decoded once the row
    // has its size, at that size).
    void LoadThumbnail();
    // The thumbnail shows the fail picture and the refresh button appears.
    void ShowFailImage();
    bool IsFailed() const;
    // Whether the loading animation runs on the thumbnail.
    bool IsLoading() const;
    DPIWidget4RectPixmap* GetThumbnail() const { return m_thumbnail; }

    // The progress gauge of a page uploaded by this client, or null.
    RoundProgressBar* GetGauge() const { return m_gauge; }
    void MakeGauge();

    // Lays the row out for the list's width.
    void UpdateUI(PresentationList* list);

public slots:
    void OnDeleteItem();
    void OnRefresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // A press on the thumbnail: shows the page locally; a teacher with the
    // whiteboard right also turns the room to it.
    void OnThumbnailPressed();
    void SetThumbnailPath(const QString& path);

    RowDeleteButton* m_deleteButton = nullptr;
    QPushButton* m_refreshButton = nullptr;
    QLabel* m_numberLabel = nullptr;
    DPIWidget4RectPixmap* m_thumbnail = nullptr;
    QLabel* m_badge = nullptr;
    RoundProgressBar* m_gauge = nullptr;
    int m_number = 0;
    QString m_imagePath;
    QString m_presentationId;
    // What the thumbnail is to show; decoded once the thumbnail is sized.
    QString m_thumbnailPath;
    PresentationList* m_ownerList = nullptr;
};
