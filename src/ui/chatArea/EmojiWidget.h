#pragma once

#include <QLabel>
#include <QStringList>
#include <QTableWidget>
#include <QWidget>

// One picture of the emoji grid. A click of any button asks for it.
class EmojiItem : public QLabel
{
    Q_OBJECT

public:
    EmojiItem(const QString& path, QSize size, QWidget* parent = nullptr);
    QString path() const { return m_path; }

signals:
    void clicked(QString path);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString m_path;
};

// The grid of emoji pictures, filled cell by cell, row after row.
class EmojiTable : public QTableWidget
{
    Q_OBJECT

public:
    EmojiTable(int rows, int columns, QWidget* parent = nullptr);
    void AddEmoji(const QString& path, const QString& tip);
    QStringList paths() const { return m_paths; }

signals:
    void emojiClicked(QString path);

private:
    int m_rows;
    int m_columns;
    int m_visibleRows = 6;
    int m_columnWidth = 32;
    int m_rowHeight = 32;
    QSize m_pictureSize { 24, 24 };
    QStringList m_paths;
};

// The emoji pop-up above the chat panel's emoji button. Its grid is filled
// at the first show.
class EmojiWidget : public QWidget
{
    Q_OBJECT

public:
    explicit EmojiWidget(QWidget* parent = nullptr);
    // Gives the pop-up its grid of every emoji; once.
    void Fill();
    EmojiTable* table() const { return m_table; }

signals:
    void emojiClicked(QString path);

private:
    EmojiTable* m_table = nullptr;
};
