#include "AudioRecordBroswerDialog.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "platform/Shell.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <climits>

namespace {
constexpr int kHeight = 96;
constexpr int kButtonTop = 54;
constexpr int kMostPathLines = 6;
} // namespace

AudioRecordBroswerDialog::AudioRecordBroswerDialog(QWidget* parent)
    : RecordFrame(QStringLiteral("AudioRecordBroswerDialog"), QSize(300, kHeight), parent)
{
    m_text = new QLabel(this);
    m_text->setGeometry(20, 16, 250, 28);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setStyleSheet(QStringLiteral("color:#333333;font:16px Microsoft YaHei;border:0px;"));
    m_btnBrowse = new QPushButton(QStringLiteral("查看录制文件"), this);
    m_btnBrowse->setGeometry(14, kButtonTop, 120, 28); // its centred text starts under the line above
    m_btnBrowse->setCursor(Qt::PointingHandCursor);
    m_btnBrowse->setStyleSheet(
        QStringLiteral("QPushButton{background-color: #ffffff;border:0px;font: 18px Microsoft YaHei;color: #487bfe;}"));
    // Where the recording lies, when no file manager shows it: the whole
    // path, wrapped anywhere (paths have no spaces to wrap at), and
    // selectable so it can be copied as it is.
    m_place = new QPlainTextEdit(this);
    m_place->setObjectName(QStringLiteral("recordingPlace"));
    m_place->setReadOnly(true);
    m_place->setFrameShape(QFrame::NoFrame);
    m_place->setWordWrapMode(QTextOption::WrapAnywhere);
    m_place->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_place->document()->setDocumentMargin(0);
    m_place->setStyleSheet(
        QStringLiteral("QPlainTextEdit{color:#333333;font:14px Microsoft YaHei;border:0px;background-color:#ffffff;}"));
    m_place->hide();
    m_btnClose = new QPushButton(this);
    m_btnClose->setGeometry(274, 8, 18, 18);
    m_btnClose->setCursor(Qt::PointingHandCursor);
    m_btnClose->setToolTip(QStringLiteral("关闭"));
    m_btnClose->setStyleSheet(QStringLiteral(
        "QPushButton{image:url(:resource/menubar/x1.75/close.png);background-color: #ffffff;border: 0px;}"));
    connect(m_btnBrowse, &QPushButton::clicked, this, &AudioRecordBroswerDialog::RecordFileBrowser);
    connect(m_btnClose, &QPushButton::clicked, this, &AudioRecordBroswerDialog::HideDialog);
}

QString AudioRecordBroswerDialog::LatestRecordingPath()
{
    Profile* profile = Nexus::GetProfile();
    if (!profile || profile->GetRecordFileName().isEmpty())
        return QString();
    return QDir::cleanPath(profile->GetRecordPath()) + QLatin1Char('/') + profile->GetRecordFileName();
}

void AudioRecordBroswerDialog::ShowDialog()
{
    QWidget* window = AttachToMainWindow();
    if (!window)
        return;
    // The engine writes into the folder for the whole recording: a folder
    // removed meanwhile takes the file with it.
    const QFileInfo file(LatestRecordingPath());
    const bool saved = file.isFile() && file.size() > 0;
    if (saved) {
        m_text->setText(QStringLiteral("录制成功(包括课堂内外声音)!"));
    } else {
        qDebug() << "[ERROR]in AudioRecordBroswerDialog::ShowDialog, recording file missing:" << file.filePath();
        m_text->setText(QStringLiteral("录音文件未能保存,录音文件夹可能已被删除"));
    }
    m_text->setToolTip(QString());
    // Without the button the text may take two lines.
    m_text->setFixedHeight(saved ? 28 : 60);
    m_place->hide();
    m_place->clear();
    m_btnBrowse->move(m_btnBrowse->x(), kButtonTop);
    setFixedHeight(kHeight);
    m_btnBrowse->setVisible(saved);
    PlaceAboveRecordButton(window);
    Present();
}

void AudioRecordBroswerDialog::RecordFileBrowser()
{
    const QString path = LatestRecordingPath();
    qDebug() << "into AudioRecordBroswerDialog::RecordFileBrowser, file:" << path;
    if (Shell::RevealInFileManager(path)) {
        HideDialog();
        return;
    }
    // No file manager took it: the frame stays and tells where the file is.
    qDebug() << "[ERROR]in AudioRecordBroswerDialog::RecordFileBrowser, file manager not reached";
    const QString shown = QDir::toNativeSeparators(path);
    m_text->setText(QStringLiteral("文件位于:"));
    m_text->setFixedHeight(28);
    m_place->setPlainText(shown);
    m_place->ensurePolished();
    const int width = m_text->width();
    const int lineHeight = m_place->fontMetrics().lineSpacing();
    const int wrapped
        = m_place->fontMetrics().boundingRect(QRect(0, 0, width, INT_MAX / 2), Qt::TextWrapAnywhere, shown).height();
    // A path of more lines than these scrolls inside the frame.
    const int height = qMin(wrapped, kMostPathLines * lineHeight) + 4;
    m_place->setGeometry(m_text->x(), m_text->geometry().bottom() + 1, width, height);
    m_place->show();
    m_btnBrowse->move(m_btnBrowse->x(), m_place->geometry().bottom() + 6);
    setFixedHeight(m_btnBrowse->geometry().bottom() + 1 + (kHeight - kButtonTop - m_btnBrowse->height()));
    if (QWidget* window = parentWidget())
        PlaceAboveRecordButton(window);
}
