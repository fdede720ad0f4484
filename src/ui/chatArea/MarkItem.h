#pragma once

#include <QLabel>
#include <QString>

class MarkList;
class QPushButton;
class QTextEdit;

// One row of the lesson-mark list: the mark's class time and description,
// with edit and delete buttons (Read), an open editor with a done button
// (Modify), or the grey hint that stands last in the list (Desc).
class MarkItem : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(int markStatus READ GetMarkStatus WRITE SetMarkStatus)
    Q_PROPERTY(QString strMarkDesc READ GetMarkDesc WRITE SetMarkDesc)

public:
    enum Status { Read = 1, Modify = 2, Desc = 4 };

    explicit MarkItem(QWidget* parent = nullptr);

    int GetMarkStatus() const { return m_markStatus; }
    void SetMarkStatus(int status) { m_markStatus = status; }
    QString GetMarkDesc() const { return m_strMarkDesc; }
    void SetMarkDesc(const QString& text) { m_strMarkDesc = text; }
    QString GetUuid() const { return m_uuid; }
    void SetUuid(const QString& uuid) { m_uuid = uuid; }
    // The editor's text, always plain: descriptions come from the network.
    void SetEditorText(const QString& text);
    QString GetEditorText() const;
    // "mm:ss" of seconds of class time; minutes go on past 59.
    static QString TimeText(int seconds);
    void SetTime(int seconds);
    QString GetTimeText() const;

    // Lays the row out for its status inside list; nothing without a list.
    void RefreshUI(MarkList* list);
    void DrawItem4ModeRead();
    void DrawItem4ModeModify();
    void DrawItem4ModeDesc();

    QPushButton* GetEditButton() const { return m_edit; }
    QPushButton* GetDeleteButton() const { return m_delete; }
    QPushButton* GetDoneButton() const { return m_done; }
    QTextEdit* GetEditor() const { return m_editor; }

private slots:
    void OnEditClicked();
    void OnDoneClicked();
    void OnDeleteClicked();
    void OnTextChanged();

private:
    // Sizes the row for a mode and returns its width.
    int SizeRow(int height);
    void PlaceTimeLabel();
    // Gives the parts the look of a mode (1, 2 or 4) through the row's sheet.
    void ApplyMode(int mode);

    QLabel* m_background = nullptr;
    QLabel* m_time = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_done = nullptr;
    QTextEdit* m_editor = nullptr;
    int m_markStatus = Read;
    QString m_strMarkDesc;
    QString m_uuid;
    MarkList* m_list = nullptr;
    int m_styledMode = 0;
    // Status and width of the last layout: the same again changes nothing.
    int m_drawnStatus = 0;
    int m_drawnWidth = -1;
    // Set while the editor's text is set or trimmed by the row itself, so
    // only the user's typing meets the length limit.
    bool m_settingText = false;
};
