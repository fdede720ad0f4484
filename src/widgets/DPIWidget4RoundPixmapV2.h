#pragma once

#include <QLabel>
#include <QPixmap>

// A round avatar that can be shown dimmed (a member who left): the dimmed
// picture is the blurred avatar under a dark veil that leaves pure black
// transparent. GUI thread.
class DPIWidget4RoundPixmapV2 : public QLabel
{
    Q_OBJECT

public:
    explicit DPIWidget4RoundPixmapV2(QWidget* parent = nullptr);

    void SetPixmapPath(const QString& path);
    QString GetPixmapPath() const { return m_path; }
    bool HasPicture() const { return !m_backing.isNull(); }
    void setBlur(bool blur);
    bool GetBlur() const { return m_blur; }
    bool HasVeil() const { return !m_veiled.isNull(); }
    // The dimmed picture; null until built.
    QPixmap GetVeiled() const { return m_veiled; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Reads the picture again and, when one was shown, the veil with it.
    void Reload();
    void BuildVeil();

    bool m_blur = false;
    QString m_path;
    QPixmap m_veiled;
    QPixmap m_backing;
};
