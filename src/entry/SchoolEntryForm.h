#pragma once

#include <QComboBox>
#include <QLabel>
#include <QList>

class DPIWidget4RectPixmap;
class DPIWidget4RoundPixmap;
class QFrame;
class QGroupBox;
class QPushButton;
class QtMaterialProgress;

// The school combo: a name too long for it is cut with an ellipsis (and
// shown whole in the tool tip and in the open list), never clipped.
class SchoolCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit SchoolCombo(QWidget* parent = nullptr);

    // The current school's name as the combo shows it.
    QString GetShownText() const;
    void showPopup() override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QRect TextRect() const;
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
    DPIWidget4RoundPixmap* avatar = nullptr;
    QLabel* usrName = nullptr;
    SchoolCombo* schoolChoose = nullptr;
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
    DPIWidget4RectPixmap* backgroundLabel = nullptr;
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
    QList<DPIWidget4RectPixmap*> qrLabels; // "qrlabel1" to "qrlabel3"
};
