#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// The modal dialogs of the chat, replaceable so that tests answer them
// instead of a person. Each defaults to the Qt static of the same name.
struct ChatDialogs {
    // (parent, caption, folder, filter) -> chosen file, empty when cancelled
    using SaveFileName = std::function<QString(QWidget*, const QString&, const QString&, const QString&)>;
    using OpenFileNames = std::function<QStringList(QWidget*, const QString&, const QString&, const QString&)>;
    // (parent, title, text)
    using Warning = std::function<void(QWidget*, const QString&, const QString&)>;

    SaveFileName getSaveFileName;
    OpenFileNames getOpenFileNames;
    Warning warning;

    // The process-wide set, GUI thread only.
    static ChatDialogs& Instance();
    // Puts the Qt statics back.
    static void Reset();
};
