#pragma once

#include <QFrame>
#include <QPoint>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class QFile;
class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QProgressBar;
class QPushButton;

// The small frameless window that offers a newer client at start-up: it
// shows the update message, downloads the installer into the user's
// download folder with a progress bar and hands the finished file to the
// desktop. Lives in the GUI thread; the start-up code owns it.
//
// Only a complete download is handed over (no error, status 200, every
// announced byte); every failure shows the failure text and brings the
// upgrade button back, so the user always has a way on.
class downLoadExeFile : public QFrame
{
    Q_OBJECT

public:
    explicit downLoadExeFile(QWidget* parent = nullptr);
    ~downLoadExeFile() override;

    // Keeps the installer URL.
    void SetUrl(const QString& url);
    // Keeps the installer's file name (the last section of the URL's path,
    // made safe) and reports whether there is one.
    bool HasFileName(const QString& url);
    // Fills the window with the update message and shows it.
    void ShowUpdateInfo();
    // The failure text in place of the title and the message, the upgrade
    // button back, the progress gone; a partial file is removed. Shows the
    // window.
    void ShowFailure();
    // The installer is complete but the desktop would not run it: the text
    // names the file and its folder for an install by hand, and closing the
    // window ends the program even when the update is forced.
    void ShowHandOverFailure();

    QString GetFileName() const { return m_fileName; }
    // The installer's path while or after it downloads.
    QString GetFilePath() const { return m_filePath; }
    bool IsDownloading() const { return m_reply != nullptr; }
    // How long the download may go without a byte before it fails
    // (30000 ms).
    void SetTransferTimeout(int ms) { m_transferTimeout = ms; }
    // What a successful hand-over does; quits the application by default.
    void SetQuitHandler(std::function<void()> quit) { m_quit = std::move(quit); }

public slots:
    void httpFinished();
    void httpReadyRead();
    void updateDataReadProgress(qlonglong bytesRead, qlonglong totalBytes);
    void on_pushButtonOK_clicked();
    void OnClose();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct Form {
        QLabel* downloadFrame = nullptr;
        QLabel* labelD = nullptr;
        QProgressBar* progressBar = nullptr;
        QLabel* labeldownload = nullptr;
        QPushButton* pushButtonOK = nullptr;
        QPushButton* btnMin = nullptr;
        QPushButton* btnClose = nullptr;
        QLabel* labelDesc = nullptr;
    };

    void SetupForm();
    // The title in its place, the message below it.
    void ShowTitle();
    // Closes and removes the partial file.
    void DropFile();
    void Launch();
    static void ShowLoginWindow();

    QUrl m_url;
    QString m_fileName;
    QNetworkAccessManager* m_manager = nullptr;
    QNetworkReply* m_reply = nullptr;
    std::unique_ptr<QFile> m_file; // the ".part" file being written
    QString m_filePath;
    bool m_cancel = false;
    bool m_handOverFailed = false;
    bool m_dragging = false;
    QPoint m_lastPos;
    QPoint m_curPos;
    Form m_form;

    int m_transferTimeout = 30000;
    qint64 m_written = 0;
    bool m_writeFailed = false;
    std::function<void()> m_quit;
};
