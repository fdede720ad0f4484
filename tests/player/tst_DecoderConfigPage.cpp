#include "TestRegistry.h"
#include "TestSupport.h"

#include "player/Config.h"
#include "player/av/DecoderDescriptor.h"
#include "player/av/VideoDecoder.h"
#include "player/settings/DecoderConfigPage.h"
#include "player/settings/VideoEQConfigPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>
#include <algorithm>
#include <memory>

using Row = DecoderConfigPage::DecoderItemWidget;
using Names = QStringList;

// The decoder page: its rows in priority order, moving and checking them
// in the dialog and on the player's own page, the decoders' options on
// their way to the core; and the player's video equaliser panel.
class TestDecoderConfigPage : public QObject
{
    Q_OBJECT

    // A page as the dialog (edits wait for Apply) or the player window
    // (edits apply at once) keeps it, shown.
    static std::unique_ptr<DecoderConfigPage> Page(bool applyAtOnce)
    {
        auto page = std::make_unique<DecoderConfigPage>();
        page->setApplyOnUiChange(applyAtOnce);
        page->show();
        return page;
    }

    // The rows from top to bottom, as the page shows them.
    static QList<Row*> Rows(DecoderConfigPage* page)
    {
        QList<Row*> rows = page->findChildren<Row*>();
        std::sort(rows.begin(), rows.end(),
            [page](Row* a, Row* b) { return a->mapTo(page, QPoint()).y() < b->mapTo(page, QPoint()).y(); });
        return rows;
    }
    static Names Shown(DecoderConfigPage* page)
    {
        Names names;
        for (Row* row : Rows(page))
            names << row->name();
        return names;
    }
    static Names Checked(DecoderConfigPage* page)
    {
        Names names;
        for (Row* row : Rows(page)) {
            if (row->isChecked())
                names << row->name();
        }
        return names;
    }
    static Row* RowOf(DecoderConfigPage* page, const QString& name) { return page->findChild<Row*>(name); }
    static void Press(DecoderConfigPage* page, const char* button)
    {
        page->findChild<QToolButton*>(QLatin1String(button))->click();
    }
    static Names Stored()
    {
        return QSettings(Config::instance().settingsFilePath(), QSettings::IniFormat)
            .value("decoder/video/priority")
            .toString()
            .split(' ', Qt::SkipEmptyParts);
    }

private slots:
    void init() { Config::instance().setDecoderPriorityNames({ "HW", "FFmpeg" }); }

    void theDefaultChecksOnlyFFmpeg()
    {
        const auto page = Page(false);
        QTRY_COMPARE(Shown(page.get()), Names({ "FFmpeg", "VAAPI", "VDPAU", "CUDA" }));
        QCOMPARE(Checked(page.get()), Names({ "FFmpeg" }));
        QCOMPARE(page->videoDecoderOptions().keys().size(), 4);
        QVERIFY(page->audioDecoderOptions().isEmpty());
    }

    void upAndDownMoveTheSelectedRow_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("button");
        QTest::addColumn<Names>("shown");
        const Names start { "FFmpeg", "VAAPI", "VDPAU", "CUDA" };
        QTest::newRow("up") << "VDPAU"
                            << "up" << Names({ "FFmpeg", "VDPAU", "VAAPI", "CUDA" });
        QTest::newRow("down") << "FFmpeg"
                              << "down" << Names({ "VAAPI", "FFmpeg", "VDPAU", "CUDA" });
        QTest::newRow("up on the first") << "FFmpeg"
                                         << "up" << start;
        QTest::newRow("down on the last") << "CUDA"
                                          << "down" << start;
        QTest::newRow("up, none selected") << ""
                                           << "up" << start;
        QTest::newRow("down, none selected") << ""
                                             << "down" << start;
    }
    void upAndDownMoveTheSelectedRow()
    {
        QFETCH(QString, selected);
        QFETCH(QString, button);
        QFETCH(Names, shown);
        const auto page = Page(false);
        if (!selected.isEmpty())
            QTest::mouseClick(RowOf(page.get(), selected), Qt::LeftButton);
        Press(page.get(), qPrintable(button));
        QTRY_COMPARE(Shown(page.get()), shown);
        QCOMPARE(Checked(page.get()), Names({ "FFmpeg" }));
    }

    void selectingASecondRowClearsTheFirst()
    {
        const auto page = Page(false);
        QTest::mouseClick(RowOf(page.get(), "VAAPI"), Qt::LeftButton);
        QVERIFY(RowOf(page.get(), "VAAPI")->isSelected());
        // Pressing the switch selects its row too.
        RowOf(page.get(), "CUDA")->findChild<QCheckBox*>()->click();
        QVERIFY(RowOf(page.get(), "CUDA")->isSelected());
        QVERIFY(!RowOf(page.get(), "VAAPI")->isSelected());
        QCOMPARE(Checked(page.get()), Names({ "FFmpeg", "CUDA" }));
    }

    void theDialogWaitsTheWindowsPageAppliesAtOnce()
    {
        const auto dialog = Page(false);
        QTest::mouseClick(RowOf(dialog.get(), "VAAPI"), Qt::LeftButton);
        RowOf(dialog.get(), "VAAPI")->setChecked(true);
        Press(dialog.get(), "up");
        QTRY_COMPARE(Shown(dialog.get()), Names({ "VAAPI", "FFmpeg", "VDPAU", "CUDA" }));
        QCOMPARE(Config::instance().decoderPriorityNames(), Names({ "HW", "FFmpeg" }));
        dialog->applyToConfig();
        QCOMPARE(Config::instance().decoderPriorityNames(), Names({ "VAAPI", "FFmpeg" }));
        QCOMPARE(Stored(), Names({ "VAAPI", "FFmpeg" }));

        const auto window = Page(true);
        RowOf(window.get(), "CUDA")->setChecked(true);
        QCOMPARE(Config::instance().decoderPriorityNames(), Names({ "VAAPI", "FFmpeg", "CUDA" }));
        QCOMPARE(Stored(), Names({ "VAAPI", "FFmpeg", "CUDA" }));
        QTest::mouseClick(RowOf(window.get(), "CUDA"), Qt::LeftButton);
        Press(window.get(), "up");
        QCOMPARE(Stored(), Names({ "VAAPI", "CUDA", "FFmpeg" }));
        // The dialog's page follows what the window's stored.
        QTRY_COMPARE(Shown(dialog.get()), Names({ "VAAPI", "CUDA", "FFmpeg", "VDPAU" }));
        QCOMPARE(Checked(dialog.get()), Names({ "VAAPI", "CUDA", "FFmpeg" }));
    }

    // The rows show the stored priority after every change, so applying
    // again keeps the order the user gave, and the window's page, which
    // applies at once, echoes nothing back.
    void anAppliedOrderStays()
    {
        const auto window = Page(true);
        const auto dialog = Page(false);
        RowOf(dialog.get(), "VDPAU")->setChecked(true);
        QTest::mouseClick(RowOf(dialog.get(), "VDPAU"), Qt::LeftButton);
        Press(dialog.get(), "up");
        Press(dialog.get(), "up");
        QCOMPARE(Config::instance().decoderPriorityNames(), Names({ "HW", "FFmpeg" }));
        dialog->applyToConfig();
        QCOMPARE(Config::instance().decoderPriorityNames(), Names({ "VDPAU", "FFmpeg" }));
        QTRY_COMPARE(Shown(dialog.get()), Names({ "VDPAU", "FFmpeg", "VAAPI", "CUDA" }));
        QTRY_COMPARE(Shown(window.get()), Names({ "VDPAU", "FFmpeg", "VAAPI", "CUDA" }));
        QCOMPARE(Checked(window.get()), Names({ "VDPAU", "FFmpeg" }));
        dialog->applyToConfig();
        QCOMPARE(Config::instance().decoderPriorityNames(), Names({ "VDPAU", "FFmpeg" }));
        QCOMPARE(Stored(), Names({ "VDPAU", "FFmpeg" }));
    }

    void cancelBringsTheStoredPriorityBack()
    {
        Config::instance().setDecoderPriorityNames({ "CUDA", "FFmpeg" });
        const auto dialog = Page(false);
        QTRY_COMPARE(Shown(dialog.get()), Names({ "CUDA", "FFmpeg", "VAAPI", "VDPAU" }));
        RowOf(dialog.get(), "CUDA")->setChecked(false);
        RowOf(dialog.get(), "VAAPI")->setChecked(true);
        QTest::mouseClick(RowOf(dialog.get(), "VAAPI"), Qt::LeftButton);
        Press(dialog.get(), "up");
        Press(dialog.get(), "up");
        QTRY_COMPARE(Shown(dialog.get()), Names({ "VAAPI", "CUDA", "FFmpeg", "VDPAU" }));
        dialog->cancel();
        QTRY_COMPARE(Shown(dialog.get()), Names({ "CUDA", "FFmpeg", "VAAPI", "VDPAU" }));
        QCOMPARE(Checked(dialog.get()), Names({ "CUDA", "FFmpeg" }));
        QCOMPARE(Config::instance().decoderPriorityNames(), Names({ "CUDA", "FFmpeg" }));
    }

    void optionsOfEveryRowReachTheCore()
    {
        const auto page = Page(false);
        Row* software = RowOf(page.get(), "FFmpeg");
        auto* fold = software->findChild<QToolButton*>();
        QCOMPARE(fold->text(), QStringLiteral("+"));
        QVERIFY(!software->findChild<QSpinBox*>("threads")->isVisibleTo(software));
        fold->click();
        QCOMPARE(fold->text(), QStringLiteral("-"));
        QTRY_VERIFY(software->findChild<QSpinBox*>("threads")->isVisible());
        software->findChild<QSpinBox*>("threads")->setValue(4);
        auto* skip = software->findChild<QComboBox*>("skip_frame");
        skip->setCurrentIndex(skip->findText("NonKey"));
        QVERIFY(!software->findChild<QSpinBox*>("threads")->toolTip().isEmpty());
        RowOf(page.get(), "VAAPI")->findChild<QToolButton*>()->click();
        auto* copy = RowOf(page.get(), "VAAPI")->findChild<QComboBox*>("copyMode");
        copy->setCurrentIndex(copy->findText("CopyBack"));

        const QVariantHash options = page->videoDecoderOptions();
        QCOMPARE(options.keys().size(), 4);
        QCOMPARE(options.value("FFmpeg").toHash().value("threads").toInt(), 4);
        const QVariantHash core = plxav::VideoDecoder::coreOptions(
            { plxav::VideoDecoder::id("VAAPI"), plxav::VideoDecoder::id("FFmpeg") }, options);
        QCOMPARE(core.value("vd-lavc-threads").toInt(), 4);
        QCOMPARE(core.value("vd-lavc-skipframe").toString(), QStringLiteral("nonkey"));
        QCOMPARE(core.value("vd-lavc-skipidct").toString(), QStringLiteral("default"));
        QCOMPARE(core.value("hwdec").toString(), QStringLiteral("vaapi-copy"));
        QVERIFY(plxav::VideoDecoder::rawCodecOptions(options).isEmpty());

        fold->click();
        QCOMPARE(fold->text(), QStringLiteral("+"));
        QVERIFY(!software->findChild<QSpinBox*>("threads")->isVisibleTo(software));
    }

    void coreOptionsOfAPriority_data()
    {
        QTest::addColumn<Names>("priority");
        QTest::addColumn<QVariantHash>("options");
        QTest::addColumn<QString>("hwdec");
        QTest::addColumn<int>("threads");
        QTest::addColumn<QString>("skipLoopFilter");
        const QVariantHash none;
        QTest::newRow("nothing listed") << Names() << none << "no" << 0 << "default";
        QTest::newRow("software first") << Names({ "FFmpeg", "CUDA" }) << none << "no" << 0 << "default";
        QTest::newRow("hardware first") << Names({ "CUDA", "FFmpeg" }) << none << "nvdec" << 0 << "default";
        QTest::newRow("copied back") << Names({ "VDPAU" })
                                     << QVariantHash { { "VDPAU", QVariantHash { { "copyMode", 1 } } } } << "vdpau-copy"
                                     << 0 << "default";
        QTest::newRow("values out of range keep the defaults")
            << Names({ "FFmpeg" })
            << QVariantHash { { "FFmpeg", QVariantHash { { "threads", -3 }, { "skip_loop_filter", 999 } } } } << "no"
            << 0 << "default";
        QTest::newRow("every level by its value")
            << Names({ "FFmpeg" })
            << QVariantHash { { "FFmpeg", QVariantHash { { "threads", 2 }, { "skip_loop_filter", 48 } } } } << "no" << 2
            << "all";
    }
    void coreOptionsOfAPriority()
    {
        QFETCH(Names, priority);
        QFETCH(QVariantHash, options);
        QFETCH(QString, hwdec);
        QFETCH(int, threads);
        QFETCH(QString, skipLoopFilter);
        QVector<plxav::VideoDecoderId> ids;
        for (const QString& name : priority)
            ids << plxav::VideoDecoder::id(name.toLatin1().constData());
        const QVariantHash core = plxav::VideoDecoder::coreOptions(ids, options);
        QCOMPARE(core.value("hwdec").toString(), hwdec);
        QCOMPARE(core.value("vd-lavc-threads").toInt(), threads);
        QCOMPARE(core.value("vd-lavc-skiploopfilter").toString(), skipLoopFilter);
        QCOMPARE(core.value("vd-lavc-fast").toBool(), false);
    }

    void theEqualiserResetsAndOffersItsEngines()
    {
        VideoEQConfigPage panel;
        QCOMPARE(TestSupport::ComboEntries(panel.findChild<QComboBox*>("engine")), QStringList({ "libswscale" }));
        panel.findChild<QSlider*>("brightness")->setValue(40);
        panel.findChild<QSlider*>("hue")->setValue(-20);
        QCOMPARE(panel.brightness(), 0.4);
        QCOMPARE(panel.hue(), -0.2);
        QStringList emitted;
        const auto note = [&emitted](const char* slider) {
            return [&emitted, slider](int value) { emitted << QStringLiteral("%1=%2").arg(slider).arg(value); };
        };
        connect(&panel, &VideoEQConfigPage::brightnessChanged, this, note("brightness"));
        connect(&panel, &VideoEQConfigPage::contrastChanged, this, note("contrast"));
        connect(&panel, &VideoEQConfigPage::hueChanegd, this, note("hue"));
        connect(&panel, &VideoEQConfigPage::saturationChanged, this, note("saturation"));
        panel.findChild<QPushButton*>("reset")->click();
        // Only the sliders that moved report, brightness first.
        QCOMPARE(emitted, QStringList({ "brightness=0", "hue=0" }));

        QSignalSpy engine(&panel, &VideoEQConfigPage::engineChanged);
        auto* box = panel.findChild<QComboBox*>("engine");
        panel.setEngines({ 2, 0 });
        QCOMPARE(TestSupport::ComboEntries(box), QStringList({ "libswscale", "XV" }));
        QCOMPARE(engine.count(), 0);
        panel.setEngine(2);
        QCOMPARE(engine.count(), 1);
        QCOMPARE(box->currentText(), QStringLiteral("XV"));
        panel.setEngine(2);
        QCOMPARE(engine.count(), 1);
        // Offered again, the box still shows the engine in use.
        panel.setEngines({ 0, 1, 2 });
        QCOMPARE(box->currentText(), QStringLiteral("XV"));
        box->setCurrentIndex(1);
        QCOMPARE(panel.engine(), 1);
        QCOMPARE(engine.count(), 2);

        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        for (const auto& scale : { qMakePair(1.0, QString("x1")), qMakePair(1.5, QString("x1.5")) }) {
            QPixmap picture(panel.size() * scale.first);
            picture.setDevicePixelRatio(scale.first);
            panel.render(&picture);
            QVERIFY(QDir().mkpath(TestSupport::ScreenshotFolder()));
            QVERIFY(picture.save(TestSupport::ScreenshotFolder() + "/player-equaliser-" + scale.second + ".png"));
        }
    }
};

PLOVIX_TEST(TestDecoderConfigPage)
#include "tst_DecoderConfigPage.moc"
