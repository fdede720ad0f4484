#pragma once

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include "room/MsgNotifyWindow.h"
#include "session/MediaInfo.h"
#include "whiteboard/ColorBoxWindow.h"
#include "whiteboard/PaletteWidget.h"
#include "whiteboard/PresentationList.h"
#include "whiteboard/QtAvPlayerList.h"
#include "whiteboard/TextSelectWindow.h"
#include "whiteboard/WhiteBoardWidget.h"
#include "widgets/DPIWidget4RectPixmap.h"

class AudioMixPlayer;
class AvPlayer;
class QTimer;

// The centre of the class room: course-page and media lists, the page view
// with the whiteboard over it, the tool palette, the notice bar, the media
// player and the accompaniment bar, laid out for the window and the local
// role. GUI thread; the session thread emits ShowMsgNotifyWidget,
// DestroyAvPlayer and UserRoleGet on it, which arrive queued.
class MiddleArea : public QWidget
{
    Q_OBJECT

public:
    enum ListState { ListCleared = 0, ListCollapsed = 1, ListShown = 2 };

    explicit MiddleArea(QWidget* parent = nullptr);
    ~MiddleArea() override;

    PresentationList* GetPresentationList() { return &m_pageList; }
    QtAvPlayerList* GetQtAvPlayerList() { return &m_mediaList; }
    WhiteBoardWidget* GetWhiteBoardWidget() { return &m_board; }
    PaletteWidget* GetPaletteWidget() { return &m_palette; }
    // The palette's pop-ups, windows of the main window once first shown.
    ColorBoxWindow* GetColorBox() { return &m_colorBox; }
    TextSelectWindow* GetTextSelectBox() { return &m_textSelectBox; }
    MsgNotifyWindow* GetMsgNotifyWindow() { return &m_notifyWindow; }
    // The page view under the whiteboard: its size converts board units to
    // pixels. The pointer never changes, so any thread may take it.
    QWidget* GetCanvas() { return &m_pageView; }
    // The open media player window, or null.
    AvPlayer* GetAvPlayer() const { return m_avPlayer; }
    // The accompaniment bar, or null.
    AudioMixPlayer* GetAudioMixPlayer() const { return m_audioMixPlayer; }
    int GetListState() const { return m_listState; }
    // The parts a caller (and a test) looks at.
    QLabel* GetCourseArea() { return &m_courseArea; }
    QWidget* GetListArea() { return &m_listArea; }
    QPushButton* GetSwitchButton() { return &m_switchButton; }
    QPushButton* GetAddBoardButton() { return &m_addBoardButton; }
    QPushButton* GetUploadButton() { return &m_uploadButton; }

    void SetupLayout(QWidget* window);

signals:
    void ShowMsgNotifyWidget(int type);
    void CleanUp();
    void SeekPos(int seconds, bool isPlaying);
    void DestroyAvPlayer();
    void UserRoleGet(int role);

public slots:
    void PresentationSizeAdapte(QString path = QString());
    void PlayerAdapte(MediaInfo* item, bool bDirectPlay = false);
    void AudioMixPlayerAdapte(QString path);
    void OnCleanUp();
    void OnSeekPos(int seconds, bool isPlaying);
    void OnDestroyAvPlayer();
    void OnDestroyAudioMixPlayer();
    void OnUserRoleGet(int role);
    // The switch button: collapses or expands the page list.
    void OnZoomInOutPresentList();
    // The palette's zoom tools change nothing of the page.
    void OnPresentZoomIn();
    void OnPresentZoomOut();
    // The palette's colour box and text-size picker, above their buttons.
    void OnShowColorBox();
    void OnHideColorBox();
    void OnShowTextSelectBox();
    void OnHideTextSelectBox();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The page list's column: the teacher's two buttons, then the media and
    // page lists below them.
    void LayOutLists(int listWidth);
    // The player window and the accompaniment bar in the course area.
    void PlacePlayers();
    // Places the palette above whatever bar lies at the course area's foot.
    void LiftPalette();
    // Turns to the page the teacher shows, as the page list knows it; false
    // when there is none to turn to.
    bool ShowTeachersPage();
    // Sizes the page view to the picture at path, fitted and centred in the
    // course area, with the board over it; false for no picture.
    bool FitPage(const QString& path);
    void StyleSwitchButton();
    // Shows a palette pop-up above its button (centred on it, or, with
    // atLeftEdge, on its left edge); state as m_dwColorBoxShowType.
    void ShowPopUp(PickerWindow* popUp, int& state, QWidget* button, bool atLeftEdge);
    void HidePopUp(PickerWindow* popUp, int& state);
    // Opens the player window's media where the room has it, once its
    // player exists; any later word of the room about it replaces this.
    void OpenAsTheRoomHasIt(int seconds, bool playing);

    // Declared parents first: members are destroyed in reverse order, so
    // every child goes before the member that holds it.
    QLabel m_courseArea;
    QWidget m_listArea;
    QPushButton m_switchButton; // in the course area
    QPushButton m_addBoardButton; // in the list area
    QPushButton m_uploadButton; // in the list area
    DPIWidget4RectPixmap m_pageView;
    WhiteBoardWidget m_board;
    PaletteWidget m_palette;
    ColorBoxWindow m_colorBox;
    TextSelectWindow m_textSelectBox;
    // 0 never shown, 1 shown, 2 hidden again.
    int m_dwColorBoxShowType = 0;
    int m_dwTextSelectShowType = 0;
    QtAvPlayerList m_mediaList;
    PresentationList m_pageList;
    MsgNotifyWindow m_notifyWindow;
    AvPlayer* m_avPlayer = nullptr; // child of the course area
    // The opening that waits for the player window's player; a child of
    // the window, so it goes with it.
    QPointer<QTimer> m_roomOpening;
    AudioMixPlayer* m_audioMixPlayer = nullptr; // child of the course area
    int m_listState = ListCleared;
    // The page picture last asked for: showing it again (its download
    // finishing, a new layout) is no choice of another page.
    QString m_shownPath;
};
