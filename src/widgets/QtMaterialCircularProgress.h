#pragma once

#include <QObject>
#include <QWidget>

class QParallelAnimationGroup;
class QPropertyAnimation;
class QtMaterialCircularProgress;

// The animated arc length of a circular progress; writing it repaints.
class QtMaterialCircularProgressDelegate : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int progress WRITE setProgress READ progress)

public:
    explicit QtMaterialCircularProgressDelegate(QtMaterialCircularProgress* parent);

    void setProgress(int progress);
    int progress() const { return m_progress; }

private:
    QtMaterialCircularProgress* m_widget;
    int m_progress = 0;
};

// A turning arc: the busy mark of a user-list entry. It spins only between
// startSpinning and stopSpinning.
class QtMaterialCircularProgress : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int m_loadingAngle WRITE setLoadingAngle READ loadingAngle)

public:
    explicit QtMaterialCircularProgress(QWidget* parent = nullptr);

    void startSpinning();
    // Draws no arc until started again.
    void stopSpinning();
    void setArcWidth(int width);
    int arcWidth() const { return m_arcWidth; }
    void setLoadingAngle(int angle) { m_loadingAngle = angle; }
    int loadingAngle() const { return m_loadingAngle; }
    bool isSpinning() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnAnimationFinished();

    int m_loadingAngle = 0;
    int m_arcWidth = 0;
    QParallelAnimationGroup* m_group = nullptr;
    QPropertyAnimation* m_animation = nullptr;
    QtMaterialCircularProgressDelegate* m_delegate = nullptr;
};
