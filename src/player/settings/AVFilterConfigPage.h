#pragma once

#include "ConfigPageBase.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QTextEdit;

// The "AVFilter" page: the video and the audio filter graph of the player,
// each with its switch, and the library's filters to look up.
class AVFilterConfigPage : public ConfigPageBase
{
    Q_OBJECT

public:
    explicit AVFilterConfigPage(QWidget* parent = nullptr);

    QString title() const override;
    void applyToConfig() override;

public slots:
    void applyToUi() override;
    // Show the description of the filter chosen in a group's list.
    void audioFilterChanged(const QString& name);
    void videoFilterChanged(const QString& name);

private:
    struct Group {
        QCheckBox* enable = nullptr;
        QComboBox* name = nullptr;
        QLabel* description = nullptr;
        QTextEdit* options = nullptr;
    };
    // Adds a group's five rows from row on.
    Group addGroup(const QString& type, const QStringList& filters, const QString& example, int row);

    Group m_video;
    Group m_audio;
};
