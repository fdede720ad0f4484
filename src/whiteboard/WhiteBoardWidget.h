#pragma once

#include "app/Locked.h"

#include <QColor>
#include <QMutex>
#include <QPoint>
#include <QString>
#include <QVector>
#include <QWidget>

class Line;
class QPushButton;
class QTimer;

// The transparent drawing surface over the course page. Lives in the GUI
// thread; the session thread emits the Remote* signals on it, which arrive
// queued, and locks GetStackMutex() around every use of the shape stacks and
// of the stroke list.
class WhiteBoardWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int m_vShapeType READ GetShapeType WRITE SetShapeType)

public:
    explicit WhiteBoardWidget(QWidget* parent = nullptr);
    ~WhiteBoardWidget() override;

    // Whiteboard shown and drawn on; written by the course-page list.
    QString GetCurrWhiteboardId() const;
    void SetCurrWhiteboardId(const QString& whiteboardId);

    QString GetColorName() const { return m_colorName; }
    void SetColorName(const QString& name) { m_colorName = name; }
    QColor GetPenColor() const { return m_penColor; }
    int GetFontSize() const { return m_fontSize; }
    void SetFontSize(int size) { m_fontSize = size; }
    int GetThickness() const { return m_thickness; }
    double GetZoom() const { return m_zoom; }

    // Segments of the pen stroke just finished, oldest first. Not owned: the
    // segments sit on a shape stack. Read and emptied under GetStackMutex().
    QVector<Line*>& GetStrokeList() { return m_strokeList; }
    // Guards every shape and redo stack and the stroke list, in both threads.
    // Not recursive.
    QMutex* GetStackMutex() { return &m_stackMutex; }

    // Widget whose size converts board units to pixels (the page view).
    QWidget* GetCanvas() const { return m_canvas; }
    void SetCanvas(QWidget* canvas) { m_canvas = canvas; }

    int GetShapeType() const { return m_vShapeType; }
    void SetShapeType(int type);
    // Back to no tool, silently and without leaving the old tool's mode
    // (leaving the class room).
    void ClearShapeType() { m_vShapeType = 0; }

signals:
    void ShapeTypeChanged(int type);
    void RemoteUpdate();
    void RemoteUndo(QString shapeId);
    void RemoteRedo(QString shapeId);
    void RemoteReset(QString whiteboardId);
    void RemoteLaserPoint(QPoint point, QString presentationId);
    void ScaleChanged(double zoom);

public slots:
    void SetColor(QColor color);
    void OnRemoteUpdate();
    void OnRemoteUndo(QString shapeId);
    void OnRemoteRedo(QString shapeId);
    void OnRemoteReset(QString whiteboardId);
    void OnRemoteLaserPoint(QPoint point, QString presentationId);
    void OnScaleChanged(double zoom);
    void StopLasterPointTimer();
    void HideLaserPointPos();

private:
    QColor m_penColor { 236, 38, 41 };
    QString m_colorName { QStringLiteral("#EC2629") };
    // Read by the session thread when it builds a message.
    Locked<QString> m_CurrWhiteboardId;
    QVector<Line*> m_strokeList;
    int m_thickness = 3;
    int m_fontSize = 18;
    double m_zoom = 1.0;
    QTimer* m_laserHideTimer = nullptr;
    int m_vShapeType = 0;
    QMutex m_stackMutex;
    QWidget* m_canvas = nullptr;
    QPushButton* m_laserImage = nullptr;
};
