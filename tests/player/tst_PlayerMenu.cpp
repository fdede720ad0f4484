#include "PlayerFixture.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"

#include "platform/Shell.h"
#include "player/Config.h"
#include "player/av/AVClock.h"
#include "player/av/SoftwareRenderer.h"
#include "player/av/VideoCapture.h"
#include "player/settings/VideoEQConfigPage.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QImageReader>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QSlider>
#include <QSpinBox>
#include <QTimeEdit>
#include <QToolButton>
#include <QTranslator>

using namespace PlayerFixture;

// The player's menu on the playing file: every entry, the equaliser and the
// filters (judged on the picture and the sound level), frame capture, and
// pictures of the menu for a person to look at.
class TestPlayerMenu : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_video;
    QString m_sound;
    std::unique_ptr<QWidget> m_panel;
    AvPlayer* m_window = nullptr;

    AvPlayer* Open(int mediaType, const QString& file)
    {
        m_window = new AvPlayer(m_panel.get(), mediaType);
        m_window->setProperty("rendererId", plxav::VideoRendererId_Widget);
        m_window->setMediaFile(file);
        m_window->setGeometry(0, 0, 480, mediaType == 2 ? 405 : 45);
        m_window->show();
        m_window->OnPlay();
        return WaitStarted(m_window) ? m_window : nullptr;
    }
    QAction* Entry(const QString& path) const { return MenuEntry(m_window, path); }
    // The dialog the window opened last (answered ones linger until deleted).
    template <class Dialog> Dialog* WaitForDialog()
    {
        Dialog* dialog = nullptr;
        const bool found = QTest::qWaitFor(
            [&] {
                for (Dialog* open : m_window->findChildren<Dialog*>()) {
                    if (open->isVisible())
                        dialog = open;
                }
                return dialog != nullptr;
            },
            5000);
        Q_UNUSED(found);
        return dialog;
    }
    QColor Shown(int x, int y) const
    {
        auto* renderer = dynamic_cast<plxav::SoftwareRenderer*>(m_window->GetRenderer());
        const QImage frame = renderer != nullptr ? renderer->currentFrame() : QImage();
        return frame.isNull() ? QColor() : QColor(frame.pixel(x, y));
    }
    bool ShowsHue(int hue) const
    {
        const QColor shown = Shown(240, 60);
        const int off = qAbs(shown.hsvHue() - hue);
        return shown.saturation() > 80 && qMin(off, 360 - off) <= 14;
    }
    // How many pixels of the area differ between two frames.
    static int Differing(const QImage& a, const QImage& b, const QRect& area)
    {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
        return count;
    }
    QImage Frame() const
    {
        auto* renderer = dynamic_cast<plxav::SoftwareRenderer*>(m_window->GetRenderer());
        return renderer != nullptr ? renderer->currentFrame() : QImage();
    }
    // The sound level measured after the player's own filters, in dB.
    static double Level(plxav::AVPlayer* player)
    {
        const QVariantMap values = player->core()->property("af-metadata/level").toMap();
        return values.value(QStringLiteral("lavfi.astats.Overall.RMS_level"), 0.0).toDouble();
    }
    static void MeasureLevelLast(plxav::AVPlayer* player)
    {
        player->core()->command({ "af", "remove", "@level" });
        player->core()->command({ "af", "add", "@level:lavfi=[astats=metadata=1:reset=1]" });
    }

    // Pictures of the menu and of each sub-menu that has entries.
    void SaveMenus(const QString& prefix)
    {
        QMenu* menu = m_window->GetMenu();
        QList<QMenu*> menus { menu };
        for (QAction* action : menu->actions()) {
            if (action->menu() != nullptr && action->menu()->isEnabled())
                menus << action->menu();
        }
        QCOMPARE(menus.size(), 10);
        for (int i = 0; i < menus.size(); ++i) {
            menus.at(i)->popup(m_window->mapToGlobal(QPoint(20, 20)));
            QVERIFY(QTest::qWaitForWindowExposed(menus.at(i)));
            static const char* const names[] = { "", "-speed", "-repeat", "-clock", "-subtitle", "-audio-track",
                "-channel", "-aspect-ratio", "-color-space", "-decoder" };
            const QString name = prefix + QLatin1String(names[qMin(i, 9)]);
            QVERIFY(SaveScaledScreenshots(menus.at(i), name));
            menus.at(i)->hide();
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        StartHub();
        SetRights(kStudent, kStudentRights);
        m_video = m_dir.filePath(QStringLiteral("lesson.y4m"));
        m_sound = m_dir.filePath(QStringLiteral("tone.wav"));
        QVERIFY(TestMedia::WriteVideo(m_video, 8, 10, QSize(320, 240)));
        QVERIFY(TestMedia::WriteSound(m_sound, 30));
        m_panel = std::make_unique<QWidget>();
        m_panel->resize(480, 405);
        m_panel->show();
        Config::instance().setCaptureDir(m_dir.filePath(QStringLiteral("captures")));
    }
    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
        Config::instance().setAvfilterVideoEnable(false).setAvfilterAudioEnable(false).setBufferValue(-1);
    }
    void cleanupTestCase() { m_panel.reset(); }

    void theMenuHoldsEveryEntry()
    {
        QVERIFY(Open(2, m_video));
        QStringList texts;
        for (QAction* action : m_window->GetMenu()->actions())
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        texts.removeAll(QStringLiteral("-"));
        QCOMPARE(texts,
            QStringList({ "Open Url", "Play list", "History", "About", "Help", "Donate", "Setup", "Speed", "Repeat",
                "Clock", "Subtitle", "Audio track", "Channel", "Aspect ratio", "Color space", "Decoder", "Renderer" }));
        QVERIFY(m_window->GetCaptureButton()->parent() == m_window && m_window->GetCaptureButton()->isHidden());
        // The menu's button is hidden: a right click on the picture opens it.
        QWidget* picture = m_window->GetRenderer()->widget();
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(10, 10), picture->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(picture, &click);
        QTRY_VERIFY(m_window->GetMenu()->isVisible());
        m_window->GetMenu()->hide();
        SaveMenus(QStringLiteral("player-menu"));
    }

    void theMenuInChinese()
    {
        QTranslator chinese;
        QVERIFY(chinese.load(QStringLiteral(":/i18n/player_zh_CN.qm")));
        QCoreApplication::installTranslator(&chinese);
        AvPlayer* window = Open(2, m_video);
        QCoreApplication::removeTranslator(&chinese);
        QVERIFY(window != nullptr);
        QVERIFY(Entry(QStringLiteral("画面比例/自定义")) != nullptr);
        SaveMenus(QStringLiteral("player-menu-zh"));
    }

    void speedAndClock()
    {
        QVERIFY(Open(2, m_video));
        plxav::AVPlayer* player = m_window->GetLibPlayer();
        QSignalSpy speeds(player, &plxav::AVPlayer::speedChanged);
        m_window->GetMenu()->findChild<QDoubleSpinBox*>(QStringLiteral("speedBox"))->setValue(2.5);
        QTRY_VERIFY(!speeds.isEmpty() && speeds.last().first().toDouble() == 2.5);
        // The video's clock: the sound is resampled to follow the frames.
        Entry(QStringLiteral("Clock/Video"))->trigger();
        QCOMPARE(player->masterClock()->clockType(), plxav::AVClock::VideoClock);
        QVERIFY(!player->masterClock()->isClockAuto());
        QTRY_COMPARE(player->core()->property("video-sync").toString(), QStringLiteral("display-resample"));
        player->masterClock()->setClockType(plxav::AVClock::ExternalClock);
        QTRY_COMPARE(player->core()->property("video-sync").toString(), QStringLiteral("display-adrop"));
        Entry(QStringLiteral("Clock/Auto"))->trigger();
        QVERIFY(player->masterClock()->isClockAuto());
        QTRY_COMPARE(player->core()->property("video-sync").toString(), QStringLiteral("audio"));
        QVERIFY(player->isPlaying());
    }

    // The buffer setting in frames at the file's 10 frames per second, then
    // in the player's other units.
    void theBufferSettingSizesTheReadAhead()
    {
        Config::instance().setBufferValue(50);
        QVERIFY(Open(2, m_video));
        plxav::MpvCore* core = m_window->GetLibPlayer()->core();
        QCOMPARE(core->property("demuxer-readahead-secs").toDouble(), 5.0);
        QCOMPARE(core->property("cache-secs").toDouble(), 5.0);
        const double automatic = plxav::AVPlayer().core()->property("demuxer-readahead-secs").toDouble();
        Config::instance().setBufferValue(-1);
        QTRY_COMPARE(core->property("demuxer-readahead-secs").toDouble(), automatic);
        plxav::AVPlayer* player = m_window->GetLibPlayer();
        player->setBufferMode(plxav::BufferTime);
        player->setBufferValue(2500);
        QTRY_COMPARE(core->property("demuxer-readahead-secs").toDouble(), 2.5);
        player->setBufferMode(plxav::BufferBytes);
        player->setBufferValue(1 << 20);
        QTRY_COMPARE(core->property("demuxer-max-bytes").toLongLong(), 1LL << 20);
        QTRY_COMPARE(core->property("demuxer-readahead-secs").toDouble(), automatic);
        player->pause(true);
        m_window->seek(3000, true);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsHue(3 * 47), 10000);
    }

    void theEqualiserAndTheFilterChangeThePicture()
    {
        QVERIFY(Open(2, m_video));
        m_window->GetLibPlayer()->pause(true);
        m_window->seek(2000, true);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsHue(2 * 47), 10000);
        VideoEQConfigPage* equaliser = m_window->GetEqualiserPage();
        QCOMPARE(equaliser->engine(), 0);
        const QList<QSlider*> sliders = equaliser->findChildren<QSlider*>();
        QCOMPARE(sliders.size(), 4);
        sliders.at(3)->setValue(-100);
        QTRY_VERIFY_WITH_TIMEOUT(Shown(240, 60).saturation() < 20, 10000);
        sliders.at(3)->setValue(0);
        sliders.at(0)->setValue(100);
        QTRY_VERIFY_WITH_TIMEOUT(Shown(240, 60).lightness() > 200, 10000);
        sliders.at(0)->setValue(0);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsHue(2 * 47), 10000);
        // The user's filter comes on top of the equaliser.
        Config::instance().setAvfilterVideoOptions(QStringLiteral("negate")).setAvfilterVideoEnable(true);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsHue((2 * 47 + 180) % 360), 10000);
        Config::instance().setAvfilterVideoEnable(false);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsHue(2 * 47), 10000);
    }

    void theAudioFilterAndTheChannelsChangeTheSound_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("channels");
        QTest::newRow("left") << "Left"
                              << "fl";
        QTest::newRow("right") << "Right"
                               << "fr";
        QTest::newRow("stereo") << "Stereo"
                                << "stereo";
        QTest::newRow("mono") << "Mono (center)"
                              << "mono";
    }
    void theAudioFilterAndTheChannelsChangeTheSound()
    {
        QFETCH(QString, entry);
        QFETCH(QString, channels);
        QVERIFY(Open(1, m_sound));
        plxav::AVPlayer* player = m_window->GetLibPlayer();
        MeasureLevelLast(player);
        // A 440 Hz tone at a quarter of full scale.
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(Level(player) + 15.2) < 1.0, 10000);
        Config::instance().setAvfilterAudioOptions(QStringLiteral("volume=0.1")).setAvfilterAudioEnable(true);
        QTRY_VERIFY(player->core()->textProperty("af").contains(QLatin1String("@plxa")));
        MeasureLevelLast(player);
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(Level(player) + 35.2) < 1.0, 10000);

        QAction* choice = Entry(QStringLiteral("Channel/") + entry);
        choice->trigger();
        QVERIFY(choice->isChecked());
        QTRY_COMPARE_WITH_TIMEOUT(player->audio()->outputChannels(), channels, 10000);
        m_window->stopUnload();
        QTRY_VERIFY(!player->audio()->isOpen());
        // Without a device nothing changes.
        Entry(QStringLiteral("Channel/As input"))->trigger();
        QVERIFY(choice->isChecked());
    }

    void aspectRatioFollowsTheMenu_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<double>("custom");
        QTest::addColumn<bool>("bandsAbove");
        QTest::addColumn<bool>("bandsBeside");
        QTest::addColumn<QString>("checked");
        QTest::newRow("video") << "Video" << 0.0 << false << false << "Video";
        QTest::newRow("window") << "Window" << 0.0 << false << false << "Window";
        QTest::newRow("16:9") << "16:9" << 0.0 << true << false << "16:9";
        QTest::newRow("custom square") << "Custom" << 1.0 << false << true << "Custom";
        QTest::newRow("custom refused") << "Custom" << 0.0 << true << false << "16:9";
    }
    void aspectRatioFollowsTheMenu()
    {
        QFETCH(QString, entry);
        QFETCH(double, custom);
        QFETCH(bool, bandsAbove);
        QFETCH(bool, bandsBeside);
        QFETCH(QString, checked);
        QVERIFY(Open(2, m_video));
        m_window->GetLibPlayer()->pause(true);
        if (QString(QTest::currentDataTag()) == QLatin1String("custom refused"))
            Entry(QStringLiteral("Aspect ratio/16:9"))->trigger();
        Entry(QStringLiteral("Aspect ratio/") + entry)->trigger();
        if (entry == QLatin1String("Custom")) {
            QInputDialog* dialog = WaitForDialog<QInputDialog>();
            QVERIFY(dialog != nullptr);
            dialog->setDoubleValue(custom);
            dialog->accept();
        }
        // The picture area is 476 x 360: a 4:3 video fills it.
        QTRY_VERIFY_WITH_TIMEOUT((Shown(240, 20).value() < 20) == bandsAbove, 10000);
        QTRY_VERIFY_WITH_TIMEOUT((Shown(30, 180).value() < 20) == bandsBeside, 10000);
        QVERIFY(Entry(QStringLiteral("Aspect ratio/") + checked)->isChecked());
    }

    void repeatPlaysTheRangeAgain()
    {
        QVERIFY(Open(2, m_video));
        plxav::AVPlayer* player = m_window->GetLibPlayer();
        QSignalSpy positions(player, &plxav::AVPlayer::positionChanged);
        QMenu* repeat = Entry(QStringLiteral("Repeat"))->menu();
        repeat->findChild<QSpinBox*>()->setValue(1);
        const QList<QTimeEdit*> editors = repeat->findChildren<QTimeEdit*>();
        QCOMPARE(editors.size(), 2);
        QCOMPARE(editors.at(1)->time(), QTime(0, 0, 8));
        editors.at(0)->setTime(QTime(0, 0, 5));
        editors.at(1)->setTime(QTime(0, 0, 6));
        Entry(QStringLiteral("Repeat/Enable"))->trigger();
        QVERIFY(editors.at(0)->isEnabled());
        player->setSpeed(3.0);
        QTRY_VERIFY_WITH_TIMEOUT(!player->isPlaying(), 20000);
        QVERIFY(!Entry(QStringLiteral("Repeat/Enable"))->isChecked());
        QVERIFY(!editors.at(0)->isEnabled());
        // Past the end of the range, back to its start once, then on.
        QList<qint64> seen;
        for (const QList<QVariant>& call : positions)
            seen << call.first().toLongLong();
        int back = 0;
        for (int i = 1; i < seen.size(); ++i) {
            if (seen.at(i) < seen.at(i - 1) - 500) {
                QVERIFY2(seen.at(i - 1) >= 5800 && seen.at(i) >= 4900 && seen.at(i) < 5300,
                    qPrintable(QStringLiteral("%1 -> %2").arg(seen.at(i - 1)).arg(seen.at(i))));
                ++back;
            }
        }
        QCOMPARE(back, 1);
        QVERIFY(seen.last() > 7000);
    }

    void tracksAndSubtitlesOfThePlayingFile()
    {
        QVERIFY(Open(2, m_video));
        plxav::AVPlayer* player = m_window->GetLibPlayer();
        QMenu* tracks = Entry(QStringLiteral("Audio track"))->menu();
        QCOMPARE(tracks->actions().size(), 1);
        QAction* external = tracks->actions().first();
        external->trigger();
        WaitForDialog<QFileDialog>()->reject();
        QVERIFY(!external->isChecked());
        external->trigger();
        QFileDialog* dialog = WaitForDialog<QFileDialog>();
        QVERIFY(dialog != nullptr);
        dialog->selectFile(m_sound);
        static_cast<QDialog*>(dialog)->accept();
        QVERIFY(external->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(player->audio()->isOpen(), 10000);
        QCOMPARE(player->externalAudio(), m_sound);

        player->pause(true);
        QFile subtitles(m_dir.filePath(QStringLiteral("lesson.srt")));
        QVERIFY(subtitles.open(QIODevice::WriteOnly));
        subtitles.write("1\n00:00:00,000 --> 00:10:00,000\nWWWWWWWW WWWWWWWW\n");
        subtitles.close();
        m_window->seek(2000, true);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsHue(2 * 47), 10000);
        const QImage plain = Frame();
        const QRect bottom(0, plain.height() / 2, plain.width(), plain.height() / 2);
        Entry(QStringLiteral("Subtitle/Open"))->trigger();
        dialog = WaitForDialog<QFileDialog>();
        dialog->selectFile(subtitles.fileName());
        static_cast<QDialog*>(dialog)->accept();
        // The first subtitle sets up the core's font provider, which can
        // take long on a loaded machine with the sanitizers.
        QTRY_VERIFY_WITH_TIMEOUT(Differing(Frame(), plain, bottom) > 500, 40000);
        Entry(QStringLiteral("Subtitle/Enable"))->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(Differing(Frame(), plain, bottom) < 50, 10000);
    }

    void captureWritesThePicture_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<bool>("saved");
        QTest::newRow("png") << "png"
                             << "png" << true;
        QTest::newRow("jpeg at low quality") << "JPG"
                                             << "jpg" << true;
        QTest::newRow("original") << "Original"
                                  << "png" << true;
        QTest::newRow("no writer") << "xyz"
                                   << "xyz" << false;
    }
    void captureWritesThePicture()
    {
        QFETCH(QString, format);
        QFETCH(QString, suffix);
        QFETCH(bool, saved);
        Config::instance().setCaptureFormat(format).setCaptureQuality(20);
        QVERIFY(Open(2, m_video));
        QVERIFY(m_window->GetCaptureButton()->toolTip().endsWith(QStringLiteral("Format: ") + format));
        plxav::VideoCapture* capture = m_window->GetLibPlayer()->videoCapture();
        QSignalSpy done(capture, &plxav::VideoCapture::saved);
        QSignalSpy failed(capture, &plxav::VideoCapture::failed);
        m_window->GetLibPlayer()->pause(true);
        m_window->seek(3000, true);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsHue(3 * 47), 10000);
        m_window->GetCaptureButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(done.count() + failed.count(), 1, 10000);
        QCOMPARE(done.count(), saved ? 1 : 0);
        if (!saved)
            return;
        const QString path = done.first().first().toString();
        QCOMPARE(QFileInfo(path).dir().path(), Config::instance().captureDir());
        QVERIFY(QFileInfo(path).fileName().startsWith(QStringLiteral("lesson_00-00-0")));
        QCOMPARE(QFileInfo(path).suffix(), suffix);
        const QImage picture = QImageReader(path).read();
        QCOMPARE(picture.size(), QSize(320, 240));
        const int off = qAbs(QColor(picture.pixel(160, 40)).hsvHue() - 3 * 47);
        QVERIFY(qMin(off, 360 - off) <= 14);
    }

    void addressesFilesAndRenderers()
    {
        ServiceFixture service;
        QVERIFY2(service.Start(), qPrintable(service.ErrorText()));
        QVERIFY(Open(2, m_video));
        // A local path typed as an address is refused; a web address plays.
        m_window->openUrl();
        QInputDialog* ask = WaitForDialog<QInputDialog>();
        ask->setTextValue(QStringLiteral("file://") + m_sound);
        ask->accept();
        QTRY_VERIFY(m_window->findChild<QMessageBox*>() != nullptr);
        QCOMPARE(m_window->GetLibPlayer()->file(), m_video);
        const QString address = service.HttpUrl(QStringLiteral("/media/other.y4m?seconds=3")).toString();
        Entry(QStringLiteral("Open Url"))->trigger();
        ask = WaitForDialog<QInputDialog>();
        ask->setTextValue(address);
        ask->accept();
        QTRY_COMPARE_WITH_TIMEOUT(m_window->GetLibPlayer()->file(), address, 10000);
        QVERIFY(WaitStarted(m_window));

        m_window->openFile();
        QFileDialog* dialog = WaitForDialog<QFileDialog>();
        dialog->selectFile(m_video);
        static_cast<QDialog*>(dialog)->accept();
        QCOMPARE(Config::instance().lastFile(), m_video);
        QTRY_COMPARE_WITH_TIMEOUT(m_window->GetLibPlayer()->file(), m_video, 10000);

        // A renderer this display cannot have is refused; another replaces
        // the one that draws.
        QVERIFY(WaitStarted(m_window));
        m_window->GetLibPlayer()->pause(true);
        m_window->seek(2000, true);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsHue(2 * 47), 10000);
        plxav::VideoRenderer* before = m_window->GetRenderer();
        QAction openGL(QStringLiteral("OpenGL"));
        openGL.setCheckable(true);
        openGL.setData(plxav::VideoRendererId_GLWidget2);
        qDeleteAll(m_window->findChildren<QMessageBox*>());
        if (!plxav::VideoRenderer::isAvailable(plxav::VideoRendererId_GLWidget2)) {
            m_window->changeVO(&openGL);
            QCOMPARE(m_window->findChild<QMessageBox*>()->text(), QStringLiteral("not availabe on your platform!"));
            QCOMPARE(m_window->GetRenderer(), before);
        }
        QAction software(QStringLiteral("Software"));
        software.setData(plxav::VideoRendererId_Widget);
        m_window->changeVO(&software);
        QVERIFY(m_window->GetRenderer() != before);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsHue(2 * 47), 10000);
        // With sound beside the picture, the file plays on meanwhile.
        plxav::AVPlayer* player = m_window->GetLibPlayer();
        player->setExternalAudio(m_sound);
        QTRY_VERIFY_WITH_TIMEOUT(player->audio()->isOpen(), 10000);
        QSignalSpy stopped(player, &plxav::AVPlayer::stopped);
        before = m_window->GetRenderer();
        QAction again(QStringLiteral("Software again"));
        again.setData(plxav::VideoRendererId_Widget);
        m_window->changeVO(&again);
        QVERIFY(m_window->GetRenderer() != before);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsHue(2 * 47), 10000);
        QCOMPARE(stopped.count(), 0);
    }

    void helpAboutDonateAndSetup()
    {
        QVERIFY(Open(1, m_sound));
        // A sound has no picture: the picture entries change nothing.
        Entry(QStringLiteral("Aspect ratio/Window"))->trigger();
        QVERIFY(Entry(QStringLiteral("Aspect ratio/Video"))->isChecked());
        m_window->GetEqualiserPage()->findChildren<QSlider*>().at(0)->setValue(50);
        QList<QUrl> opened;
        Shell::SetUrlOpener([&opened](const QUrl& url) {
            opened << url;
            return true;
        });
        Entry(QStringLiteral("Donate"))->trigger();
        Shell::SetUrlOpener({});
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.first().scheme(), QStringLiteral("https"));
        Entry(QStringLiteral("Help"))->trigger();
        QMessageBox* help = m_window->findChild<QMessageBox*>();
        QVERIFY(help != nullptr && help->windowTitle() == QStringLiteral("Help"));
        QVERIFY(help->text().contains(QStringLiteral("<h3>")));
        QVERIFY(SaveScaledScreenshots(help, QStringLiteral("player-help")));
        delete help;
        Entry(QStringLiteral("About"))->trigger();
        QVERIFY(m_window->findChild<QMessageBox*>()->text().contains(QStringLiteral("libmpv 0.")));
        Entry(QStringLiteral("Setup"))->trigger();
        QWidget* dialog = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->inherits("ConfigDialog"))
                dialog = top;
        }
        QVERIFY(dialog != nullptr && dialog->isVisible());
        dialog->hide();
    }
};

PLOVIX_TEST(TestPlayerMenu)
#include "tst_PlayerMenu.moc"
