#pragma once

#include <QLabel>
#include <QList>
#include <QPixmap>

class QComboBox;
class QFrame;
class QGroupBox;
class QPushButton;
class QtMaterialProgress;

// A picture label that scales its picture smoothly to its own size, drawn
// sharp at any display scale; a round one shows a centred square of the
// picture inside a circle (the user's avatar).
class PictureLabel : public QLabel
{
    Q_OBJECT

public:
    explicit PictureLabel(bool round, QWidget* parent = nullptr);

    // False, keeping the picture shown, when the file is no readable image.
    bool SetPictureFile(const QString& path);
    bool HasPicture() const { return !m_picture.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_round;
    QPixmap m_picture;
};

// The widgets of the course home page, built in code under the object
// names the page's style and tests rely on. Owned by the page.
struct SchoolEntryForm {
    // Builds every widget as a child of page.
    explicit SchoolEntryForm(QWidget* page);

    // The left column: user block and web-link buttons.
    QFrame* leftFrame = nullptr;
    QFrame* topLeftFrame = nullptr;
    QFrame* groupBox4UsrInfo = nullptr;
    PictureLabel* avatar = nullptr;
    QLabel* usrName = nullptr;
    QComboBox* schoolChoose = nullptr;
    QFrame* bottomLeftFrame = nullptr;
    QFrame* groupBox4Select = nullptr;
    QPushButton* btnMyCourse = nullptr;
    QPushButton* btnBookCourse = nullptr;
    QPushButton* btnJob = nullptr;
    QPushButton* btnCourseCard = nullptr;
    QPushButton* btnQACommunity = nullptr;
    QPushButton* btnBuyCourse = nullptr;
    QPushButton* btnAppDownload = nullptr;

    // The right area: banner, course area, no-course and busy boxes, app
    // download view.
    QFrame* rightFrame = nullptr;
    PictureLabel* backgroundLabel = nullptr;
    QGroupBox* groupBox4School = nullptr;
    QPushButton* btn4GoingClass = nullptr;
    QPushButton* btn4HistoryClass = nullptr;
    QPushButton* btn4Refresh = nullptr;
    QFrame* shoolList = nullptr;
    QGroupBox* groupBox4NoBook = nullptr;
    QPushButton* label4NoBook = nullptr;
    QPushButton* btnBookCourse2 = nullptr;
    QGroupBox* groupBox4Loading = nullptr;
    QtMaterialProgress* progressBar = nullptr;
    QGroupBox* groupBox4AppDown = nullptr;
    QGroupBox* groupBox4App1 = nullptr;
    QGroupBox* groupBox4App2 = nullptr;
    QList<PictureLabel*> qrLabels; // "qrlabel1" to "qrlabel3"
};
