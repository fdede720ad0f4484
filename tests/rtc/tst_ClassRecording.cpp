#include "../room/RoomScreens.h"
#include "RoomEngine.h"
#include "TestMedia.h"
#include "TestRegistry.h"

#include "app/UserSettings.h"
#include "platform/Shell.h"
#include "rtc/AudioRecordBroswerDialog.h"
#include "rtc/AudioRecordCloseDialog.h"
#include "rtc/AudioRecordSetDialog.h"
#include "rtc/RtcClock.h"

#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>

namespace control = RtcEngineControl;

// The tool bar's class-recording frames over the stand-in engine, which
// writes real files, in a class room joined to room "R100".
class TestClassRecording : public QObject
{
    Q_OBJECT

    RoomEngine m_room;
    MenuBar* m_bar = nullptr;
    Profile* m_profile = nullptr;
    AudioRecordSetDialog* m_set = nullptr;
    AudioRecordCloseDialog* m_close = nullptr;
    AudioRecordBroswerDialog* m_browser = nullptr;
    QTemporaryDir m_home;
    QString m_folder;
    QStringList m_revealed;
    bool m_revealWorks = true;

    static constexpr qint64 kStart = 1700000000; // the clock while recording
    static QString Stamp(qint64 at = kStart) { return QDateTime::fromSecsSinceEpoch(at).toString("yyyyMMddhhmmss"); }

    bool Recording() const { return m_profile->GetClassRecordingFlag(); }
    void Start()
    {
        m_bar->GetRecordButton()->click();
        QVERIFY(m_set->isVisible());
        m_set->GetConsentBox()->setChecked(true);
        m_set->GetStartButton()->click();
    }
    void Stop()
    {
        m_bar->GetRecordButton()->click();
        QVERIFY(m_close->isVisible());
        m_close->GetOkButton()->click();
    }
    // AAC frames that fill the file to its end and decode to its end.
    static bool Finished(const QString& path)
    {
        return TestMedia::AdtsFrames(TestSupport::ReadFile(path)) > 0 && TestMedia::DecodeAac(path).rate > 0;
    }
    // The part of the window a frame covers (its shadow included), as the
    // user sees it: <name>-<folder>.png.
    void Shoot(QWidget* frame, const QString& name, double factor, const QString& folder)
    {
        QVERIFY(frame->isVisible());
        QPixmap picture(m_room.window->size() * factor);
        picture.setDevicePixelRatio(factor);
        m_room.window->render(&picture);
        const QRect area = frame->geometry().adjusted(-10, -10, 10, 10).intersected(m_room.window->rect());
        QDir().mkpath(TestSupport::ScreenshotFolder());
        QVERIFY(picture.copy(QRect(area.topLeft() * factor, area.size() * factor))
                    .save(TestSupport::ScreenshotFolder() + "/" + name + "-" + folder + ".png"));
    }

private slots:
    void initTestCase()
    {
        m_room.Start(QStringLiteral("recording-test"));
        m_bar = m_room.bar;
        m_profile = Nexus::GetProfile();
        Nexus::GetDataManager()->SetRoomId("R100");
        m_set = m_bar->GetAudioRecordSetDialog();
        m_close = m_bar->GetAudioRecordCloseDialog();
        m_browser = m_bar->GetAudioRecordBroswerDialog();
        Shell::SetRevealer([this](const QString& path) {
            m_revealed << path;
            return m_revealWorks;
        });
        RtcClock::SetOverride(kStart);
    }
    void cleanupTestCase()
    {
        RtcClock::SetOverride(0);
        Shell::SetRevealer({});
        AudioRecordSetDialog::SetFolderChooser({});
        m_room.Stop();
    }
    void init()
    {
        // Not the local user's uid: the join actions run only where a test
        // asks for them.
        if (!control::IsInChannel())
            QVERIFY(m_room.engine->JoinChannel("R100", 99, "key"));
        Nexus::GetPlayer()->GetMediaPlayer()->SetAgoraObject(m_room.engine);
        m_profile->SetClassRecordingFlag(false);
        m_profile->SetRecordingRoomId(QString());
        m_folder = m_home.path() + "/录音 \"课堂\"/" + QTest::currentTestFunction();
        m_profile->SetRecordPath(m_folder);
        m_revealed.clear();
        m_revealWorks = true;
        for (RecordFrame* frame : std::initializer_list<RecordFrame*> { m_set, m_close, m_browser })
            frame->HideDialog();
        m_bar->SetupLayout(m_room.window);
    }

    void TheRecordButtonRecordsIntoATimeNamedFile()
    {
        QVERIFY(AppNativeProperty().GetDefaultRecordPath().startsWith(QDir::homePath() + "/"));
        m_bar->GetRecordButton()->click();
        QCOMPARE(m_set->parentWidget(), m_room.window);
        QCOMPARE(m_set->GetPathLabel()->toolTip(), QDir::toNativeSeparators(m_folder));
        QVERIFY(m_set->GetStartButton()->styleSheet().startsWith("QPushButton{background-color: #ff9999;"));
        m_set->GetStartButton()->click(); // no consent, no recording
        QVERIFY(!Recording() && m_set->isVisible());
        m_set->GetConsentBox()->setChecked(true);
        QVERIFY(m_set->GetStartButton()->styleSheet().startsWith("QPushButton{background-color: #f74945;"));
        m_set->GetStartButton()->click();

        const QString path = m_folder + "/" + Stamp() + ".aac";
        QVERIFY(Recording() && !m_set->isVisible());
        QCOMPARE(m_profile->GetRecordingRoomId(), QString("R100"));
        QCOMPARE(control::RecordingPath(), path);
        QVERIFY(control::IsRecording() && QFileInfo(path).isFile());
        QVERIFY(m_bar->GetRecordLabel()->isVisible());
        m_set->BeginRecord(); // while recording: nothing
        QCOMPARE(QDir(m_folder).entryList(QDir::Files).size(), 1);

        m_bar->GetRecordButton()->click();
        // Right above the record button, its left edge on the button's.
        const QPoint button = m_bar->GetRecordButton()->mapTo(m_room.window, QPoint(0, 0));
        QCOMPARE(m_close->geometry().bottom(), button.y() - 2);
        QCOMPARE(m_close->x(), qMin(button.x(), m_room.window->width() - m_close->width()));
        m_close->GetOkButton()->click();
        QVERIFY(!Recording() && !control::IsRecording());
        QVERIFY(m_profile->GetRecordingRoomId().isEmpty());
        QVERIFY(Finished(path));
        QVERIFY(!m_bar->GetRecordLabel()->isVisible());
        QCOMPARE(m_browser->GetTextLabel()->text(), QString("录制成功(包括课堂内外声音)!"));
        m_browser->GetBrowseButton()->click();
        QCOMPARE(m_revealed, QStringList { path });
        QVERIFY(!m_browser->isVisible());

        // A second recording in the same second never overwrites the first.
        Start();
        Stop();
        QCOMPARE(
            QDir(m_folder).entryList(QDir::Files, QDir::Name), (QStringList { Stamp() + "-1.aac", Stamp() + ".aac" }));
        QVERIFY(Finished(m_folder + "/" + Stamp() + "-1.aac"));
    }

    void AStartThatFailsIsToldAndNotShownAsRunning_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::newRow("engine refuses") << "engine";
        QTest::newRow("folder cannot be made") << "folder";
        QTest::newRow("no engine") << "none";
    }
    void AStartThatFailsIsToldAndNotShownAsRunning()
    {
        QFETCH(QString, cause);
        if (cause == "engine") {
            control::FailNext("setObject", -1);
        } else if (cause == "folder") {
            QVERIFY(TestSupport::WriteFile(m_home.path() + "/a-file", "x"));
            m_profile->SetRecordPath(m_home.path() + "/a-file/recordings");
        } else {
            Nexus::GetPlayer()->GetMediaPlayer()->SetAgoraObject(nullptr);
        }
        Start();
        QVERIFY(!Recording() && !control::IsRecording());
        QVERIFY(m_profile->GetRecordingRoomId().isEmpty());
        QVERIFY(m_set->isVisible() && !m_set->GetErrorLabel()->text().isEmpty());
        QCOMPARE(m_bar->GetRecordButton()->toolTip(), QString("录音"));
        QVERIFY(QDir(m_folder).entryList(QDir::Files).isEmpty());
    }

    void ChangingTheFolder()
    {
        m_bar->GetRecordButton()->click();
        QString answer;
        AudioRecordSetDialog::SetFolderChooser(
            [&](QWidget*, const QString& current) { return current == m_folder ? answer : QString(); });
        m_set->GetChangeButton()->click(); // cancelled
        QCOMPARE(m_profile->GetRecordPath(), m_folder);
        QVERIFY(TestSupport::WriteFile(m_home.path() + "/plain-file", "x"));
        answer = m_home.path() + "/plain-file"; // cannot take files
        m_set->GetChangeButton()->click();
        QVERIFY(m_set->GetErrorLabel()->isVisible());
        QCOMPARE(m_profile->GetRecordPath(), m_folder);
        answer = m_home.path() + "/新的文件夹";
        m_set->GetChangeButton()->click();
        QVERIFY(!m_set->GetErrorLabel()->isVisible() && QFileInfo(answer).isDir());
        QCOMPARE(m_set->GetPathLabel()->text(), answer);
        QCOMPARE(UserSettings::Text(UserSettings::RecordPath), answer);
        m_set->GetConsentBox()->setChecked(true);
        m_set->GetStartButton()->click();
        QVERIFY(QFileInfo(answer + "/" + Stamp() + ".aac").isFile());
        Stop();
    }

    void AMissingFileOrFileManagerIsTold()
    {
        Start();
        Stop();
        m_revealWorks = false;
        const int height = m_browser->height();
        m_browser->GetBrowseButton()->click();
        QVERIFY(m_browser->isVisible());
        // The whole path, wrapped in the frame, which grows to hold it, and
        // selectable as it is.
        QCOMPARE(m_browser->GetTextLabel()->text(), QString("文件位于:"));
        QPlainTextEdit* place = m_browser->GetPlaceText();
        QVERIFY(place->isVisible());
        QCOMPARE(place->toPlainText(), QDir::toNativeSeparators(AudioRecordBroswerDialog::LatestRecordingPath()));
        QVERIFY(place->isReadOnly() && (place->textInteractionFlags() & Qt::TextSelectableByMouse));
        QVERIFY(place->document()->lineCount() >= 1 && place->verticalScrollBar()->maximum() == 0);
        QVERIFY(place->fontMetrics().horizontalAdvance(place->toPlainText()) > place->width());
        QVERIFY(m_browser->height() > height);
        QVERIFY(m_browser->rect().contains(place->geometry()));
        QVERIFY(place->geometry().bottom() < m_browser->GetBrowseButton()->y());
        QVERIFY(m_browser->geometry().bottom() < m_bar->GetRecordButton()->mapTo(m_room.window, QPoint()).y());
        // The folder removed during the recording takes the file with it.
        Start();
        QVERIFY(QDir(m_folder).removeRecursively());
        Stop();
        QCOMPARE(m_browser->GetTextLabel()->text(), QString("录音文件未能保存,录音文件夹可能已被删除"));
        QVERIFY(!m_browser->GetBrowseButton()->isVisible());
        QVERIFY(!Shell::RevealInFileManager(m_folder + "/x.aac"));
    }

    void LeavingFinishesTheFileAndReEntryRecordsAgain()
    {
        Start();
        const QString first = control::RecordingPath();
        emit Nexus::GetPlayer()->CleanUp();
        QVERIFY(!control::IsRecording() && !Recording());
        QVERIFY(Finished(first));
        QCOMPARE(m_profile->GetRecordingRoomId(), QString("R100"));
        RtcClock::SetOverride(kStart + 60);
        QVERIFY(m_room.engine->JoinChannel("R100", 99, "key"));
        Nexus::GetPlayer()->OnJoinAgoraSuccessed();
        RtcClock::SetOverride(kStart);
        QVERIFY(Recording() && control::IsRecording());
        QCOMPARE(QFileInfo(control::RecordingPath()).fileName(), Stamp(kStart + 60) + ".aac");
        Stop();
        // A re-entry whose recording cannot start says so.
        QVERIFY(TestSupport::WriteFile(m_home.path() + "/plain-file", "x"));
        m_profile->SetRecordingRoomId("R100");
        m_profile->SetRecordPath(m_home.path() + "/plain-file/recordings");
        Nexus::GetPlayer()->OnJoinAgoraSuccessed();
        QVERIFY(!Recording() && m_profile->GetRecordingRoomId().isEmpty());
        QVERIFY(m_set->isVisible() && m_set->GetErrorLabel()->isVisible());
    }

    void Screenshots_data() { RoomScreens::ScaleRows(); }
    void Screenshots()
    {
        double factor = 1;
        QString folder;
        RoomScreens::UseRowScale(factor, folder);
        m_profile->SetRecordPath(m_home.path() + "/a rather long folder name for class recordings/" + folder);
        m_bar->SetupLayout(m_room.window);
        m_bar->GetRecordButton()->click();
        Shoot(m_set, "record-set-dialog", factor, folder);
        m_set->GetConsentBox()->setChecked(true);
        control::FailNext("setObject", -1);
        m_set->GetStartButton()->click();
        Shoot(m_set, "record-set-dialog-failed", factor, folder);
        m_set->GetStartButton()->click();
        m_bar->GetRecordButton()->click();
        Shoot(m_close, "record-close-dialog", factor, folder);
        m_close->GetOkButton()->click();
        Shoot(m_browser, "record-browser-dialog", factor, folder);
        RoomScreens::SaveScaled(m_room.window, "record-browser-dialog-window", factor, folder);
        Start();
        QDir(m_profile->GetRecordPath()).removeRecursively();
        Stop();
        Shoot(m_browser, "record-browser-dialog-not-saved", factor, folder);
        Start();
        Stop();
        m_revealWorks = false;
        m_browser->GetBrowseButton()->click();
        Shoot(m_browser, "record-browser-dialog-where", factor, folder);
        m_profile->SetScale(1.0, "x1");
    }
};

PLOVIX_TEST(TestClassRecording)
#include "tst_ClassRecording.moc"
