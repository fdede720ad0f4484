#pragma once

#include <QString>
#include <QWidget>

// A page of the player's settings: it copies its settings from Config into
// its controls and back. A page that applies on every change of its
// controls writes them to Config at once; the settings dialog clears that
// for its pages, which write on Apply or Ok only. GUI thread.
class ConfigPageBase : public QWidget
{
    Q_OBJECT

public:
    explicit ConfigPageBase(QWidget* parent = nullptr);

    virtual QString title() const = 0;
    // Copies the page's controls into Config.
    virtual void applyToConfig() = 0;

    bool applyOnUiChange() const { return m_applyOnUiChange; }
    void setApplyOnUiChange(bool apply) { m_applyOnUiChange = apply; }

public slots:
    // Copies the page's settings from Config into its controls.
    virtual void applyToUi() = 0;
    void apply();
    void cancel();
    void reset();

private:
    bool m_applyOnUiChange = true;
};
