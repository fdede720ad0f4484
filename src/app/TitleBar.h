#pragma once

#include "WindowDragger.h"

#include <QPointer>
#include <QString>

class DeviceTest;
class DoubleClickLabel;
class MainWindow;
class QLabel;
class QPushButton;
class TechSupportWidget;

// The main window's own title bar: title, minimise, maximise or restore and
// close, and the program's commands (support, device test, refresh, and the
// exit button that leaves the class room or, outside one, opens the entry by
// classroom password). Dragging it moves the main window. Two layouts: the
// class room's (room data complete) and the course list's.
class TitleBar : public WindowDragger
{
    Q_OBJECT

public:
    static constexpr int kHeight = 40;

    explicit TitleBar(QWidget* parent = nullptr);
    ~TitleBar() override;

    // Becomes a child of window across its top and builds the layout that
    // fits the room state.
    void SetupLayout(MainWindow* window);
    // Shows the maximise or the restore picture for the window's flag.
    void UpdateMaxRestoreButton();
    bool IsClassRoomLayout() const { return m_classRoomLayout; }

    // ":/resource/titlebar/<scale folder>/<name>.png".
    static QString PicturePath(const QString& name);

    QPushButton* GetMinButton() const { return m_btnMin; }
    QPushButton* GetMaxButton() const { return m_btnMax; }
    QPushButton* GetCloseButton() const { return m_btnClose; }
    QPushButton* GetSupportButton() const { return m_btnSupport; }
    QPushButton* GetRefreshButton() const { return m_btnRefresh; }
    QPushButton* GetDeviceTestButton() const { return m_btnDeviceTest; }
    QPushButton* GetExitButton() const { return m_btnExit; }
    DoubleClickLabel* GetTitleLabel() const { return m_title; }
    QLabel* GetLogoLabel() const { return m_logo; }
    QLabel* GetLineLabel() const { return m_line; }
    // Created on first use; null until then.
    DeviceTest* GetDeviceTest() const;
    TechSupportWidget* GetTechSupportWidget() const;

signals:
    void ShowAVTestDialog();

public slots:
    void OnShowAVTestDialog();
    void ShowTechSupWidget();
    void ShowDeviceTestWidget();
    // Leaves the class room, or opens the classroom-password window outside
    // one.
    void Exit();
    // Leaves and enters the class room again.
    void Refresh();

private:
    void BuildClassRoomLayout();
    void BuildCourseListLayout();
    // Places the window buttons, the separator and the support command from
    // the right edge; returns the x left of them.
    int PlaceRightCluster();
    void PlaceTitle(int left, int right);
    // The exit command left of right, read by what it does now; returns its
    // x.
    int PlaceExitButton(int right);
    void CentreBelowStrip(QWidget* popup) const;
    void HideDeviceTest();

    QPushButton* m_btnMin = nullptr;
    QPushButton* m_btnMax = nullptr;
    QPushButton* m_btnClose = nullptr;
    DoubleClickLabel* m_title = nullptr;
    QPushButton* m_btnSupport = nullptr;
    QPushButton* m_btnRefresh = nullptr;
    QLabel* m_line = nullptr;
    QPushButton* m_btnExit = nullptr;
    QPushButton* m_btnDeviceTest = nullptr;
    QLabel* m_logo = nullptr;
    // Owned through the main window as parent; deleted with the bar.
    QPointer<TechSupportWidget> m_techSupport;
    QPointer<DeviceTest> m_deviceTest;
    QPointer<MainWindow> m_mainWindow;
    bool m_classRoomLayout = false;
};
