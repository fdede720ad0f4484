#pragma once

#include "ConfigPageBase.h"

#include <QFrame>
#include <QList>
#include <QVariantHash>

class PropertyEditor;
class QCheckBox;
class QLabel;
class QToolButton;
class QVBoxLayout;

// The "Decoder" page: one row per registered video decoder, each with its
// switch, its description and a fold-out editor of its options; Up and
// Down move the selected row. The checked rows, in row order, are the
// decoder priority of Config. In the settings dialog the page writes on
// Apply or Ok; the player window keeps one of its own that writes every
// change at once, and takes the decoders' edited options from it. Every
// page shows its rows in the priority order after the priority changes.
// GUI thread.
class DecoderConfigPage : public ConfigPageBase
{
    Q_OBJECT

public:
    class DecoderItemWidget;

    explicit DecoderConfigPage(QWidget* parent = nullptr);

    QString title() const override;
    void applyToConfig() override;

    // Decoder name to the table of its options (option name to value), for
    // every row, checked or not.
    QVariantHash videoDecoderOptions() const;
    QVariantHash audioDecoderOptions() const { return QVariantHash(); }

public slots:
    // Shows the priority stored in Config (in the priority order).
    void applyToUi() override;
    void videoDecoderEnableChanged();
    void priorityUp();
    void priorityDown();
    void onDecSelected(DecoderItemWidget* iw);
    // Orders and checks the rows by the shared display and priority lists.
    void updateDecodersUi();
    void onConfigChanged();

private:
    // The names of the checked rows, in row order.
    QStringList checkedNames() const;
    // Moves the row at from to the position to, in the list and the layout.
    void moveRow(int from, int to);
    // After a row moved: the display list from the rows, the priority from
    // the rows Config lists, and Config when this page applies at once.
    void priorityMoved();

    QToolButton* m_upButton = nullptr;
    QToolButton* m_downButton = nullptr;
    QList<DecoderItemWidget*> m_decItems;
    QVBoxLayout* m_decLayout = nullptr;
    DecoderItemWidget* m_selectedDec = nullptr;
    // The rows are being set from the lists: their switches report nothing
    // back to Config.
    bool m_updating = false;
};

// One decoder's row. Its switch's text is the decoder's name, which
// identifies the row.
class DecoderConfigPage::DecoderItemWidget : public QFrame
{
    Q_OBJECT

public:
    explicit DecoderItemWidget(QWidget* parent = nullptr);

    QString name() const;
    void setName(const QString& name);
    void setDescription(const QString& description);
    bool isChecked() const;
    void setChecked(bool checked);
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    // Reads the decoder's options and keeps their editor, folded away.
    void setDecoder(QObject* decoder);
    // The decoder's options with the user's edits.
    QVariantHash options() const;

signals:
    void enableChanged();
    void selected(DecoderItemWidget* item);

public slots:
    void checkPressed();
    // Unfolds the options editor, or folds it away.
    void toggleEditorVisible();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QCheckBox* m_check = nullptr;
    QToolButton* m_expandButton = nullptr;
    QLabel* m_description = nullptr;
    PropertyEditor* m_editor = nullptr;
    QWidget* m_editorWidget = nullptr;
    bool m_selected = false;
};
