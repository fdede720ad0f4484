#pragma once

#include <QString>
#include <QTextEdit>

// The small editor that floats over the board where a text is typed. It
// grows with its text up to the room the board leaves it, takes plain text
// only, and hands over its text with the lines broken where it wrapped
// them, so the text is drawn everywhere as it was typed. GUI thread.
class TextEdit : public QTextEdit
{
    Q_OBJECT
    Q_PROPERTY(int fontSize READ GetFontSize WRITE SetFontSize NOTIFY FontSizeChange)
    Q_PROPERTY(QString fontColor READ GetFontColor WRITE SetFontColor NOTIFY ColorChange)

public:
    explicit TextEdit(QWidget* parent = nullptr);

    // Font size (16, 18 or 22) given to new texts; writing it emits
    // FontSizeChange.
    int GetFontSize() const { return m_fontSize; }
    void SetFontSize(int size);
    // Text colour as #RRGGBB; writing it emits ColorChange.
    QString GetFontColor() const { return m_fontColor; }
    void SetFontColor(const QString& color);

    // How far the editor may grow (the board's edges).
    void SetMaximumArea(int width, int height);
    int GetMaximumWidth() const { return m_maxWidth; }
    int GetMaximumHeight() const { return m_maxHeight; }

    // The editor's style with a font of pixelSize pixels in colour.
    void ApplyStyle(int pixelSize, const QString& color);

    // The text with a line feed at every point the editor wrapped a line
    // and at the end of every paragraph; empty for an empty editor.
    QString GetAmendText();

signals:
    void FontSizeChange(int size);
    void ColorChange(QString color);

public slots:
    void OnTextChanged();
    void OnFontSizeChanged(int size);
    void OnColorChange(QString color);

private:
    // Lines as far apart as the board draws them: ascent plus descent of
    // the editor's font, on every paragraph.
    void ApplyLineHeight();

    QString m_fontColor;
    int m_maxWidth = 20;
    int m_maxHeight = 20;
    int m_currentWidth = 0;
    int m_currentHeight = 0;
    int m_fontSize = 18;
    bool m_formatting = false;
};
