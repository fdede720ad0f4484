#pragma once

#include <QDialog>
#include <QList>

class ConfigPageBase;
class QAbstractButton;
class QDialogButtonBox;
class QTabWidget;

// The player's settings dialog: a tab per settings page (Misc, Capture,
// Decoder, AVFormat, AVFilter, Shader) and the buttons Reset, Ok, Cancel
// and Apply. Edits reach Config on Apply or Ok, which also save it; Cancel
// brings the stored settings back into the pages; Reset deletes the
// settings file and shows the defaults. One per process. GUI thread.
class ConfigDialog : public QDialog
{
    Q_OBJECT

public:
    // Makes the one dialog on the first call, then shows it; the dialog
    // lives until the application quits.
    static ConfigDialog* display();

    QList<ConfigPageBase*> pages() const { return m_pages; }

public slots:
    void onButtonClicked(QAbstractButton* btn);
    void onApply();
    void onCancel();
    void onReset();

private:
    explicit ConfigDialog(QWidget* parent = nullptr);

    QTabWidget* m_content = nullptr;
    QDialogButtonBox* m_buttonBox = nullptr;
    QList<ConfigPageBase*> m_pages;
};
