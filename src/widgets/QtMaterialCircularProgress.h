#pragma once

#include <QWidget>

class QParallelAnimationGroup;
class QPropertyAnimation;

class QtMaterialCircularProgressDelegate : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int progress READ progress WRITE setProgress)

public:
    explicit QtMaterialCircularProgressDelegate(QWidget* progressWidget);

    int progress() const { return m_progress; }
    // Stores the arc length and repaints the progress widget.
    void setProgress(int progress);

private:
    QWidget* m_widget;
    int m_progress = 0;
};

// A turning arc: the user list rings an avatar with it while the member's
// microphone is live.
class QtMaterialCircularProgress : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int m_loadingAngle READ loadingAngle WRITE setLoadingAngle)

public:
    explicit QtMaterialCircularProgress(QWidget* parent = nullptr);

    void startSpinning();
    // Clears the arc and stops; the next start goes on from the last angle.
    void stopSpinning();
    bool isSpinning() const;
    void setArcWidth(int width);
    int arcWidth() const { return m_arcWidth; }
    int loadingAngle() const { return m_loadingAngle; }
    void setLoadingAngle(int angle) { m_loadingAngle = angle; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnStepFinished();

    int m_loadingAngle = 0;
    int m_arcWidth = 0;
    QParallelAnimationGroup* m_group;
    QPropertyAnimation* m_animation;
    QtMaterialCircularProgressDelegate* m_delegate;
};
