#include "TestRegistry.h"
#include "TestSupport.h"

#include "player/Config.h"
#include "player/settings/ConfigDialog.h"
#include "player/settings/ConfigPageBase.h"
#include "player/settings/DecoderConfigPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>
#include <functional>

// The player's settings dialog: every page's controls to Config, its file
// and back, the buttons, and a picture of every page.
class TestConfigDialog : public QObject
{
    Q_OBJECT

    ConfigDialog* m_dialog = nullptr;
    QList<QUrl> m_opened;

    template <typename T = QWidget> T* Control(const QString& name) const { return m_dialog->findChild<T*>(name); }

    void Press(const QString& text)
    {
        for (QAbstractButton* button : m_dialog->findChild<QDialogButtonBox*>()->buttons()) {
            if (button->text() == text) {
                button->click();
                return;
            }
        }
        QFAIL(qPrintable("no button " + text));
    }

    // Puts value into the control as a user would.
    static void Enter(QWidget* control, const QVariant& value)
    {
        if (auto* box = qobject_cast<QCheckBox*>(control))
            box->setChecked(value.toBool());
        else if (auto* spin = qobject_cast<QSpinBox*>(control))
            spin->setValue(value.toInt());
        else if (auto* real = qobject_cast<QDoubleSpinBox*>(control))
            real->setValue(value.toDouble());
        else if (auto* combo = qobject_cast<QComboBox*>(control))
            combo->setCurrentIndex(combo->findText(value.toString()));
        else if (auto* line = qobject_cast<QLineEdit*>(control))
            line->setText(value.toString());
        else if (auto* text = qobject_cast<QTextEdit*>(control))
            text->setPlainText(value.toString());
        else if (auto* slider = qobject_cast<QSlider*>(control))
            slider->setValue(value.toInt());
        else
            QFAIL("a control of an unknown kind");
    }

    // A setting by name: Config's property, or one of the settings without.
    static QVariant Setting(const Config& config, const QString& name)
    {
        static const QMap<QString, std::function<QVariant(const Config&)>> plain = {
            { "abortOnTimeout", [](const Config& c) { return QVariant(c.abortOnTimeout()); } },
            { "reduceBuffering", [](const Config& c) { return QVariant(c.reduceBuffering()); } },
            { "probeSize", [](const Config& c) { return QVariant(c.probeSize()); } },
            { "analyzeDuration", [](const Config& c) { return QVariant(c.analyzeDuration()); } },
            { "avformatExtra", [](const Config& c) { return QVariant(c.avformatExtra()); } },
            { "videoEnable", [](const Config& c) { return QVariant(c.avfilterVideoEnable()); } },
            { "videoOptions", [](const Config& c) { return QVariant(c.avfilterVideoOptions()); } },
            { "audioEnable", [](const Config& c) { return QVariant(c.avfilterAudioEnable()); } },
            { "audioOptions", [](const Config& c) { return QVariant(c.avfilterAudioOptions()); } },
        };
        if (plain.contains(name))
            return plain.value(name)(config);
        const QVariant value = config.property(name.toLatin1().constData());
        // The OpenGL type as its number.
        return value.userType() == qMetaTypeId<Config::OpenGLType>() ? QVariant(value.toInt()) : value;
    }

    void Shoot(const QString& name)
    {
        QVERIFY(QDir().mkpath(TestSupport::ScreenshotFolder()));
        for (const auto& scale : { qMakePair(1.0, QString("x1")), qMakePair(1.5, QString("x1.5")) }) {
            QPixmap picture(m_dialog->size() * scale.first);
            picture.setDevicePixelRatio(scale.first);
            m_dialog->render(&picture);
            QVERIFY(
                picture.save(QStringLiteral("%1/%2-%3.png").arg(TestSupport::ScreenshotFolder(), name, scale.second)));
        }
    }

private slots:
    void initTestCase()
    {
        m_dialog = ConfigDialog::display();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "OnOpen");
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        delete m_dialog;
    }
    void init()
    {
        // Defaults in Config, its file and every page.
        Config::instance().save();
        m_dialog = ConfigDialog::display();
        m_dialog->onReset();
        m_opened.clear();
    }

    void OnOpen(const QUrl& url) { m_opened << url; }

    void tabsInTheirOrder()
    {
        auto* tabs = m_dialog->findChild<QTabWidget*>();
        QStringList titles;
        for (int i = 0; i < tabs->count(); ++i)
            titles << tabs->tabText(i);
        QCOMPARE(titles, QStringList({ "Misc", "Capture", "Decoder", "AVFormat", "AVFilter", "Shader" }));
        for (ConfigPageBase* page : m_dialog->pages())
            QVERIFY(!page->applyOnUiChange());
        QCOMPARE(ConfigDialog::display(), m_dialog);
    }

    void everySettingReachesTheFile_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QVariant>("entered");
        QTest::addColumn<QVariant>("stored");
        const auto row = [](const char* control, const QVariant& entered, const QVariant& stored) {
            QTest::newRow(control) << QString::fromLatin1(control) << entered << stored;
        };
        row("previewEnabled", false, false);
        row("previewWidth", 320, 320);
        row("previewHeight", 180, 180);
        row("forceFrameRate", 25.5, 25.5);
        row("bufferValue", 64, 64);
        row("timeout", 12.25, 12.25);
        row("abortOnTimeout", false, false);
        row("openGLType", "Software", int(Config::Software));
        row("ANGLEPlatform", "D3D11", "d3d11");
        row("EGL", true, true);
        row("logLevel", "debug", "debug");
        row("captureDir", "/srv/captures", "/srv/captures");
        row("captureFormat", "jpg", "jpg");
        row("captureQuality", 55, 55);
        row("avformatOptionsEnabled", true, true);
        row("reduceBuffering", true, true);
        row("probeSize", 123456, 123456);
        row("analyzeDuration", 7000, 7000);
        row("avformatExtra", "fflags=nobuffer rtsp_transport=tcp", "fflags=nobuffer rtsp_transport=tcp");
        row("videoEnable", false, false);
        row("videoOptions", "hflip,negate", "hflip,negate");
        row("audioEnable", false, false);
        row("audioOptions", "volume=volume=2.0", "volume=volume=2.0");
        row("userShaderEnabled", true, true);
        row("intermediateFBO", true, true);
        row("fragHeader", "#define GAIN 2.0", "#define GAIN 2.0");
        row("fragSample", "vec4 sample2d(sampler2D t, vec2 p, int i) { return texture(t, p); }",
            "vec4 sample2d(sampler2D t, vec2 p, int i) { return texture(t, p); }");
        row("fragPostProcess", "gl_FragColor.rgb *= GAIN;", "gl_FragColor.rgb *= GAIN;");
    }
    void everySettingReachesTheFile()
    {
        QFETCH(QString, control);
        QFETCH(QVariant, entered);
        QFETCH(QVariant, stored);
        QWidget* widget = Control(control);
        QVERIFY(widget != nullptr);
        QVERIFY(Setting(Config::instance(), control) != stored);
        Enter(widget, entered);
        // Nothing reaches Config before Apply.
        QVERIFY(Setting(Config::instance(), control) != stored);
        Press(QStringLiteral("Apply"));
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(Setting(Config::instance(), control), stored);
        // Read back from the file by a store of its own.
        Config reread;
        QCOMPARE(Setting(reread, control), stored);
        // Reset brings the default back into the control.
        m_dialog->onReset();
        QVERIFY(Setting(Config::instance(), control) != stored);
        Press(QStringLiteral("Apply"));
        QVERIFY(Setting(Config::instance(), control) != stored);
    }

    void okAppliesAndClosesCancelRevertsAndCloses()
    {
        Control<QSpinBox>("bufferValue")->setValue(200);
        Press(QStringLiteral("Ok"));
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(Config::instance().bufferValue(), 200);
        QCOMPARE(
            QSettings(Config::instance().settingsFilePath(), QSettings::IniFormat).value("buffer/value").toInt(), 200);

        // Edits that were neither applied nor cancelled stay for the next
        // showing.
        QCOMPARE(ConfigDialog::display(), m_dialog);
        Control<QSpinBox>("bufferValue")->setValue(300);
        m_dialog->close();
        ConfigDialog::display();
        QCOMPARE(Control<QSpinBox>("bufferValue")->value(), 300);
        Press(QStringLiteral("Cancel"));
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(Control<QSpinBox>("bufferValue")->value(), 200);
        QCOMPARE(Config::instance().bufferValue(), 200);
        ConfigDialog::display();
    }

    void storedTextsSelectTheirEntries_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("applied");
        QTest::newRow("empty log level") << "logLevel"
                                         << ""
                                         << ""
                                         << "";
        QTest::newRow("log level") << "logLevel"
                                   << "WARNING"
                                   << "warning"
                                   << "warning";
        QTest::newRow("ANGLE platform") << "ANGLEPlatform"
                                        << "d3d11"
                                        << "D3D11"
                                        << "d3d11";
        QTest::newRow("original format") << "captureFormat"
                                         << "oRiGiNaL"
                                         << "Original"
                                         << "Original";
    }
    void storedTextsSelectTheirEntries()
    {
        QFETCH(QString, control);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(QString, applied);
        Config::instance().setProperty(control.toLatin1().constData(), stored);
        Press(QStringLiteral("Cancel"));
        ConfigDialog::display();
        QCOMPARE(Control<QComboBox>(control)->currentText(), shown);
        Press(QStringLiteral("Apply"));
        QCOMPARE(Config::instance().property(control.toLatin1().constData()).toString(), applied);
    }

    void captureFolderFollowsTheSettings()
    {
        Config::instance().setCaptureDir(QDir::homePath() + QStringLiteral("/frames of the lesson"));
        Config::instance().setCaptureQuality(30);
        QCOMPARE(Control<QLineEdit>("captureDir")->text(), QDir::homePath() + QStringLiteral("/frames of the lesson"));
        QCOMPARE(Control<QSlider>("captureQuality")->value(), 30);
        // The folder is opened as a proper file address.
        Control<QAbstractButton>("browseCaptureDir")->click();
        QCOMPARE(m_opened.size(), 1);
        QVERIFY(m_opened.first().isLocalFile());
        QCOMPARE(m_opened.first().toLocalFile(), QDir::homePath() + QStringLiteral("/frames of the lesson"));
    }

    void filterListsComeFromTheLibrary()
    {
        const QStringList video = TestSupport::ComboEntries(Control<QComboBox>("videoFilters"));
        const QStringList audio = TestSupport::ComboEntries(Control<QComboBox>("audioFilters"));
        QVERIFY(video.contains("negate") && video.contains("hflip") && video.contains("scale"));
        QVERIFY(audio.contains("volume") && audio.contains("atempo"));
        QVERIFY(!video.contains("volume") && !audio.contains("negate"));
        // Sinks give neither kind.
        QVERIFY(!video.contains("buffersink") && !audio.contains("abuffersink"));
        Control<QComboBox>("videoFilters")->setCurrentText("negate");
        QVERIFY(Control<QLabel>("videoDescription")->text().contains("Negate", Qt::CaseInsensitive));
        Control<QComboBox>("audioFilters")->setCurrentText("volume");
        QVERIFY(Control<QLabel>("audioDescription")->text().contains("volume", Qt::CaseInsensitive));
        // Choosing a filter leaves the graph alone.
        QCOMPARE(Control<QTextEdit>("videoOptions")->toPlainText(), QString());
    }

    // settings-<page>-x1.png and -x1.5.png: every page as a person sees it,
    // all in a dialog of one size with every tab in view; and the decoder
    // page with options unfolded and a row selected.
    void picturesOfEveryPage()
    {
        auto* tabs = m_dialog->findChild<QTabWidget*>();
        QSize size;
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QTRY_VERIFY(tabs->currentWidget()->isVisible());
            QCoreApplication::processEvents();
            if (size.isEmpty())
                size = m_dialog->size();
            QCOMPARE(m_dialog->size(), size);
            QCOMPARE(TestSupport::CutButton(m_dialog), QString());
            QVERIFY(tabs->tabBar()->rect().contains(tabs->tabBar()->tabRect(tabs->count() - 1)));
            Shoot(QStringLiteral("settings-") + tabs->tabText(i).toLower());
        }
        tabs->setCurrentIndex(tabs->indexOf(m_dialog->findChild<DecoderConfigPage*>()));
        for (const char* decoder : { "FFmpeg", "VAAPI" })
            Control(decoder)->findChild<QToolButton*>()->click();
        QTest::mouseClick(Control("VDPAU"), Qt::LeftButton);
        QCoreApplication::processEvents();
        Shoot(QStringLiteral("settings-decoder-options"));
        for (const char* decoder : { "FFmpeg", "VAAPI" })
            Control(decoder)->findChild<QToolButton*>()->click();
        tabs->setCurrentIndex(0);
    }
};

PLOVIX_TEST(TestConfigDialog)
#include "tst_ConfigDialog.moc"
