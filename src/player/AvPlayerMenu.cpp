// The player window's menu: tracks, channels, aspect ratio, clock, repeat,
// speed and subtitles of the playing file, opening other files and
// addresses, help, about and the settings. The control bar does not offer
// it; it hangs on a tool button of its own.
#include "AvPlayer.h"

#include "Config.h"
#include "PlayerMessage.h"
#include "av/AVClock.h"
#include "av/AVPlayer.h"
#include "av/AudioOutput.h"
#include "av/SubtitleFilter.h"
#include "av/VideoRenderer.h"
#include "platform/Shell.h"
#include "settings/ConfigDialog.h"
#include "settings/DecoderConfigPage.h"
#include "settings/VideoEQConfigPage.h"
#include "widgets/ClickableMenu.h"

#include <QActionGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDebug>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QScrollArea>
#include <QSpinBox>
#include <QTextCodec>
#include <QTimeEdit>
#include <QToolButton>
#include <QWidgetAction>
#include <limits>

// The help pages are embedded in the core library, whose resource table
// the linker would drop as unreferenced.
static void InitHelpPages()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(playerhelp);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {
// The media library's donation page: the decoding underneath the player is
// FFmpeg's.
const char kDonateUrl[] = "https://ffmpeg.org/donations.html";

// The menu in the colours of the sound bar, with the accent of the sliders on
// the entry under the pointer. Its sub-menus and their panels take it too.
const char kMenuStyle[]
    = "QMenu{background:rgb(255,255,255);border:1px solid rgb(214,214,216);padding:4px 0px;color:rgb(51,51,51);}"
      "QMenu,QMenu QWidget{font: 13px \"Microsoft YaHei\";}"
      "QMenu::item{padding:6px 40px 6px 14px;background:transparent;}"
      "QMenu::item:selected{background:rgb(250,99,78);color:rgb(255,255,255);}"
      "QMenu::item:disabled{color:rgb(175,175,177);}"
      "QMenu::separator{height:1px;background:rgb(232,232,234);margin:4px 12px;}"
      "QMenu::indicator{width:14px;height:14px;left:9px;}"
      "QMenu::indicator:non-exclusive:unchecked{image:url(:/resource/qtAvPlayer/menu_check_off.svg);}"
      "QMenu::indicator:non-exclusive:checked{image:url(:/resource/qtAvPlayer/menu_check_on.svg);}"
      "QMenu::indicator:non-exclusive:checked:selected{image:url(:/resource/qtAvPlayer/menu_check_on_selected.svg);}"
      "QMenu::indicator:exclusive:checked{image:url(:/resource/qtAvPlayer/menu_radio_on.svg);}"
      "QMenu::indicator:exclusive:checked:selected{image:url(:/resource/qtAvPlayer/menu_radio_on_selected.svg);}"
      "QMenu::right-arrow{image:url(:/resource/qtAvPlayer/menu_arrow.svg);width:8px;height:10px;right:10px;}";
// Editors in the menu's panels stand as tall as its entries; the panels
// start where the entries' texts do, after the check marks where a menu has
// them.
constexpr int kEditorHeight = 26;
constexpr int kTextIndent = 14;
constexpr int kCheckedTextIndent = 30;

QTime TimeOf(qint64 ms)
{
    // A time edit holds less than a day.
    return QTime(0, 0).addMSecs(static_cast<int>(qBound<qint64>(0, ms, 24 * 3600 * 1000 - 1)));
}

qint64 MsOf(const QTime& time)
{
    return QTime(0, 0).msecsTo(time);
}
} // namespace

QMenu* AvPlayer::addSubMenu(const QString& title)
{
    auto* sub = new ClickableMenu(title, menu);
    menu->addMenu(sub);
    return sub;
}

QAction* AvPlayer::addChoice(QMenu* owner, QActionGroup* group, const QString& text, const QVariant& data)
{
    QAction* action = owner->addAction(text);
    action->setCheckable(true);
    action->setData(data);
    group->addAction(action);
    return action;
}

QWidgetAction* AvPlayer::addWidgetEntry(QMenu* owner, const QList<QPair<QString, QWidget*>>& rows, int indent)
{
    auto* panel = new QWidget(owner);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(indent, 4, 12, 4);
    grid->setHorizontalSpacing(10);
    for (const auto& row : rows) {
        const int line = grid->rowCount();
        grid->addWidget(new QLabel(row.first, panel), line, 0);
        row.second->setParent(panel);
        row.second->setMinimumHeight(kEditorHeight);
        grid->addWidget(row.second, line, 1);
    }
    grid->setColumnStretch(1, 1);
    auto* entry = new QWidgetAction(owner);
    entry->setDefaultWidget(panel);
    owner->addAction(entry);
    return entry;
}

void AvPlayer::setupMenu()
{
    // Made as children of the window, so that none is left behind when it
    // goes; none is placed in the bar.
    menuButton = new QToolButton(this);
    menuButton->setAutoRaise(true);
    menuButton->setPopupMode(QToolButton::InstantPopup);
    menuButton->hide();
    infoButton = new QToolButton(this);
    infoButton->hide();
    captureButton = new QToolButton(this);
    captureButton->hide();
    menu = new QMenu(menuButton);
    menu->setStyleSheet(QLatin1String(kMenuStyle));
    menuButton->setMenu(menu);
    // With its button never shown, the menu opens where the user
    // right-clicks the player.
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(
        this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) { menu->popup(mapToGlobal(pos)); });

    ownMediaEntries << menu->addAction(tr("Open Url"), this, &AvPlayer::openUrl);
    menu->addSeparator();
    // Lists of other media that this player never fills.
    addSubMenu(tr("Play list"))->setEnabled(false);
    addSubMenu(tr("History"))->setEnabled(false);
    menu->addSeparator();
    menu->addAction(tr("About"), this, &AvPlayer::about);
    menu->addAction(tr("Help"), this, &AvPlayer::help);
    menu->addAction(tr("Donate"), this, &AvPlayer::donate);
    menu->addAction(tr("Setup"), this, &AvPlayer::setup);
    menu->addSeparator();

    QMenu* speedMenu = addSubMenu(tr("Speed"));
    ownMediaEntries << speedMenu->menuAction();
    auto* speedBox = new QDoubleSpinBox();
    speedBox->setObjectName(QStringLiteral("speedBox"));
    speedBox->setRange(0.01, 20);
    speedBox->setValue(1.0);
    speedBox->setSingleStep(0.01);
    speedBox->setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    speedBox->setMinimumWidth(speedBox->fontMetrics().horizontalAdvance(QStringLiteral("20.00")) + 48);
    addWidgetEntry(speedMenu, { { tr("Speed"), speedBox } }, kTextIndent);
    connect(speedBox, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, &AvPlayer::onSpinBoxChanged);

    QMenu* repeatMenu = addSubMenu(tr("Repeat"));
    ownMediaEntries << repeatMenu->menuAction();
    setupRepeatMenu(repeatMenu);

    QMenu* clockMenu = addSubMenu(tr("Clock"));
    auto* clockGroup = new QActionGroup(clockMenu);
    addChoice(clockMenu, clockGroup, tr("Auto"), -1)->setChecked(true);
    addChoice(clockMenu, clockGroup, tr("Audio"), plxav::AVClock::AudioClock);
    addChoice(clockMenu, clockGroup, tr("Video"), plxav::AVClock::VideoClock);
    connect(clockMenu, &QMenu::triggered, this, &AvPlayer::changeClockType);

    setupSubtitleMenu(addSubMenu(tr("Subtitle")));

    audioTrackMenu = addSubMenu(tr("Audio track"));
    audioTrackGroup = new QActionGroup(audioTrackMenu);
    connect(audioTrackMenu, &QMenu::triggered, this, &AvPlayer::changeAudioTrack);
    initAudioTrackMenu();
    // "External" plays another file's sound with the picture; the menu
    // keeps it as its first entry for good.
    ownMediaEntries << audioTrackMenu->actions().value(0);

    channelMenu = addSubMenu(tr("Channel"));
    auto* channelGroup = new QActionGroup(channelMenu);
    channelAction = addChoice(channelMenu, channelGroup, tr("As input"), plxav::AudioOutput::ChannelLayoutAsInput);
    addChoice(channelMenu, channelGroup, tr("Stereo"), plxav::AudioOutput::ChannelLayoutStereo);
    addChoice(channelMenu, channelGroup, tr("Mono (center)"), plxav::AudioOutput::ChannelLayoutMono);
    addChoice(channelMenu, channelGroup, tr("Left"), plxav::AudioOutput::ChannelLayoutLeft);
    addChoice(channelMenu, channelGroup, tr("Right"), plxav::AudioOutput::ChannelLayoutRight);
    channelAction->setChecked(true);
    connect(channelMenu, &QMenu::triggered, this, &AvPlayer::changeChannel);

    QMenu* aspectMenu = addSubMenu(tr("Aspect ratio"));
    auto* aspectGroup = new QActionGroup(aspectMenu);
    aspectAction = addChoice(aspectMenu, aspectGroup, tr("Video"), 0.0);
    addChoice(aspectMenu, aspectGroup, tr("Window"), -1.0);
    addChoice(aspectMenu, aspectGroup, QStringLiteral("4:3"), 4.0 / 3.0);
    addChoice(aspectMenu, aspectGroup, QStringLiteral("16:9"), 16.0 / 9.0);
    addChoice(aspectMenu, aspectGroup, tr("Custom"), -2.0);
    aspectAction->setChecked(true);
    connect(aspectMenu, &QMenu::triggered, this, &AvPlayer::switchAspectRatio);

    QMenu* colorMenu = addSubMenu(tr("Color space"));
    equaliserPage = new VideoEQConfigPage();
    auto* equaliserEntry = new QWidgetAction(colorMenu);
    equaliserEntry->setDefaultWidget(equaliserPage);
    colorMenu->addAction(equaliserEntry);
    connect(equaliserPage, &VideoEQConfigPage::engineChanged, this, &AvPlayer::onVideoEQEngineChanged);
    connect(equaliserPage, &VideoEQConfigPage::brightnessChanged, this, &AvPlayer::onBrightnessChanged);
    connect(equaliserPage, &VideoEQConfigPage::contrastChanged, this, &AvPlayer::onContrastChanged);
    connect(equaliserPage, &VideoEQConfigPage::hueChanegd, this, &AvPlayer::onHueChanged);
    connect(equaliserPage, &VideoEQConfigPage::saturationChanged, this, &AvPlayer::onSaturationChanged);

    QMenu* decoderMenu = addSubMenu(tr("Decoder"));
    decoderPage = new DecoderConfigPage();
    auto* decoderEntry = new QWidgetAction(decoderMenu);
    decoderEntry->setDefaultWidget(decoderPage);
    decoderMenu->addAction(decoderEntry);
    // In the menu the rows show whole, in the menu's font; an opened editor
    // scrolls.
    connect(decoderMenu, &QMenu::aboutToShow, decoderPage, [this] {
        auto* rows = decoderPage->findChild<QScrollArea*>();
        if (rows == nullptr || rows->widget() == nullptr)
            return;
        decoderPage->ensurePolished();
        rows->setMinimumHeight(rows->widget()->sizeHint().height() + 2 * rows->frameWidth());
    });

    // Renderers are chosen at start-up; the entries would come from there.
    QMenu* rendererMenu = addSubMenu(tr("Renderer"));
    rendererMenu->setEnabled(!rendererMenu->isEmpty());
    connect(rendererMenu, &QMenu::triggered, this, &AvPlayer::changeVO);
    updateRoomEntries();
}

void AvPlayer::setMediaId(const QString& id)
{
    mediaId = id;
    updateRoomEntries();
}

void AvPlayer::updateRoomEntries()
{
    const bool own = mediaId.isEmpty();
    for (QAction* entry : qAsConst(ownMediaEntries))
        entry->setEnabled(own);
}

void AvPlayer::setupRepeatMenu(QMenu* repeatMenu)
{
    repeatEnableAction = repeatMenu->addAction(tr("Enable"));
    repeatEnableAction->setCheckable(true);
    connect(repeatEnableAction, &QAction::toggled, this, &AvPlayer::toggleRepeat);

    repeatBox = new QSpinBox();
    repeatBox->setMinimum(-1);
    repeatBox->setValue(-1);
    repeatBox->setToolTip(QStringLiteral("-1: ") + tr("infinity"));
    repeatA = new QTimeEdit();
    repeatA->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    repeatB = new QTimeEdit();
    repeatB->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    for (QWidget* editor : std::initializer_list<QWidget*> { repeatBox, repeatA, repeatB })
        editor->setMinimumWidth(editor->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 48);
    repeatWidgetAction = addWidgetEntry(
        repeatMenu, { { tr("Times"), repeatBox }, { tr("From"), repeatA }, { tr("To"), repeatB } }, kCheckedTextIndent);
    repeatWidgetAction->defaultWidget()->setEnabled(false);
    connect(repeatBox, QOverload<int>::of(&QSpinBox::valueChanged), this, &AvPlayer::setRepeateMax);
    connect(repeatA, &QTimeEdit::timeChanged, this, &AvPlayer::repeatAChanged);
    connect(repeatB, &QTimeEdit::timeChanged, this, &AvPlayer::repeatBChanged);
}

void AvPlayer::setupSubtitleMenu(QMenu* subtitleMenu)
{
    QAction* enable = subtitleMenu->addAction(tr("Enable"));
    enable->setCheckable(true);
    enable->setChecked(subtitleFilter->isEnabled());
    connect(enable, &QAction::toggled, this, &AvPlayer::toggoleSubtitleEnabled);
    QAction* autoLoad = subtitleMenu->addAction(tr("Auto load"));
    autoLoad->setCheckable(true);
    autoLoad->setChecked(subtitleFilter->autoLoad());
    connect(autoLoad, &QAction::toggled, this, &AvPlayer::toggleSubtitleAutoLoad);
    subtitleMenu->addAction(tr("Open"), this, &AvPlayer::openSubtitle);

    auto* engineBox = new QComboBox();
    engineBox->setObjectName(QStringLiteral("subtitleEngineBox"));
    engineBox->addItem(QStringLiteral("FFmpeg"), QStringLiteral("FFmpeg"));
    engineBox->addItem(QStringLiteral("LibASS"), QStringLiteral("LibASS"));
    engineBox->setToolTip(tr("FFmpeg supports more subtitles but only render plain text") + QLatin1Char('\n')
        + tr("LibASS supports ass styles"));
    connect(engineBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        [this, engineBox](int index) { setSubtitleEngine(engineBox->itemData(index).toString()); });

    auto* charsetBox = new QComboBox();
    charsetBox->setObjectName(QStringLiteral("subtitleCharsetBox"));
    charsetBox->addItem(tr("Auto detect"), QStringLiteral("AutoDetect"));
    charsetBox->addItem(tr("System"), QStringLiteral("System"));
    for (const QByteArray& codec : QTextCodec::availableCodecs())
        charsetBox->addItem(QString::fromLatin1(codec), QString::fromLatin1(codec));
    charsetBox->setToolTip(tr("Auto detect requires libchardet"));
    // The list holds long names; the box is sized for the common ones.
    charsetBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    charsetBox->setMinimumContentsLength(12);
    addWidgetEntry(subtitleMenu, { { tr("Engine"), engineBox }, { tr("Charset"), charsetBox } }, kCheckedTextIndent);
    connect(charsetBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        [this, charsetBox](int index) { setSubtitleCharset(charsetBox->itemData(index).toString()); });

    subtitleFilter->setEngines({ engineBox->itemData(0).toString() });
    subtitleFilter->setCodec(charsetBox->itemData(0).toString().toLatin1());
}

// ---- dialogs that do not block

void AvPlayer::askForFile(const QString& title, const QString& start, const std::function<void(const QString&)>& chosen,
    const std::function<void()>& cancelled)
{
    auto* dialog = new QFileDialog(this, title, start);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    connect(dialog, &QFileDialog::fileSelected, this, [chosen](const QString& file) {
        if (!file.isEmpty())
            chosen(file);
    });
    if (cancelled)
        connect(dialog, &QDialog::rejected, this, cancelled);
    dialog->open();
}

void AvPlayer::askForText(const QString& title, const QString& label, const std::function<void(const QString&)>& chosen)
{
    auto* dialog = new QInputDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(title);
    dialog->setLabelText(label);
    connect(dialog, &QInputDialog::textValueSelected, this, chosen);
    dialog->open();
}

// ---- files and addresses

void AvPlayer::openFile()
{
    askForFile(tr("Open a media file"), Config::instance().lastFile(), [this](const QString& file) {
        Config::instance().setLastFile(file);
        play(file);
    });
}

void AvPlayer::openUrl()
{
    askForText(tr("Open an url"), tr("Url"), [this](const QString& text) {
        const QString address = text.trimmed();
        if (address.isEmpty())
            return;
        // Typed addresses open what the room's would: a file on this
        // machine comes through the file dialog only.
        if (!IsRoomMediaUrl(address)) {
            PlayerMessage::Show(this, QMessageBox::Warning, tr("Open an url"),
                tr("Only web addresses (http, https, rtmp) can be opened here: %1").arg(address));
            return;
        }
        play(address);
    });
}

void AvPlayer::playOnlineVideo(QAction* action)
{
    if (action == nullptr)
        return;
    title = action->text();
    play(action->data().toString());
}

void AvPlayer::onPlayListClick(QString key, QString value)
{
    title = key;
    play(value);
}

// ---- about, help, donation, settings

void AvPlayer::about()
{
    const QString version = player != nullptr ? player->versionString() : QString();
    PlayerMessage::Show(this, QMessageBox::Information, tr("About"),
        tr("The class room's media player, built on %1.").arg(version.isEmpty() ? QStringLiteral("libmpv") : version));
}

void AvPlayer::help()
{
    InitHelpPages();
    const QString locale = QLocale::system().name();
    const QString name = QStringLiteral("help-%1.html").arg(locale);
    const QString folder = QCoreApplication::applicationDirPath();
    QFile file;
    for (const QString& path : { folder + QLatin1Char('/') + name, QStringLiteral(":/") + name,
             folder + QStringLiteral("/help.html"), QStringLiteral(":/help.html") }) {
        file.setFileName(path);
        if (file.exists() && file.open(QIODevice::ReadOnly))
            break;
    }
    if (!file.isOpen()) {
        qWarning("Failed to open help-%s.html and help.html: %s", qPrintable(locale), qPrintable(file.errorString()));
        return;
    }
    // Our own pages, written as rich text.
    PlayerMessage::Show(this, QMessageBox::Information, tr("Help"), QString::fromUtf8(file.readAll()), Qt::RichText);
}

void AvPlayer::donate()
{
    Shell::OpenUrl(QUrl(QString::fromLatin1(kDonateUrl)));
}

void AvPlayer::setup()
{
    ConfigDialog::display();
}

// ---- audio tracks and channels

void AvPlayer::initAudioTrackMenu()
{
    const int count = player != nullptr ? player->audioStreamCount() : 0;
    const int current = player != nullptr ? player->currentAudioStream() : -1;
    const bool external = player != nullptr && !player->externalAudio().isEmpty();
    QList<QAction*> entries = audioTrackMenu->actions();
    if (entries.size() == count + 1 && audioTrackAction != nullptr && !external
        && audioTrackAction->data().toInt() == current)
        return;
    if (entries.isEmpty()) {
        entries << addChoice(audioTrackMenu, audioTrackGroup, tr("External"), -1);
        entries.first()->setToolTip(tr("Open an external audio track"));
    }
    while (entries.size() > count + 1) {
        QAction* surplus = entries.takeLast();
        if (surplus == audioTrackAction)
            audioTrackAction = nullptr;
        delete surplus;
    }
    // The file names its streams by language or title where it can.
    QVariantList streams;
    for (const QVariant& track : player != nullptr ? player->tracks() : QVariantList()) {
        const QVariantMap fields = track.toMap();
        if (fields.value(QStringLiteral("type")) == QLatin1String("audio")
            && !fields.value(QStringLiteral("external")).toBool())
            streams << fields;
    }
    for (int i = 0; i < count; ++i) {
        if (i + 1 >= entries.size())
            entries << addChoice(audioTrackMenu, audioTrackGroup, QString(), i);
        const QVariantMap fields = streams.value(i).toMap();
        const QString name = fields.value(QStringLiteral("title"), fields.value(QStringLiteral("lang"))).toString();
        entries.at(i + 1)->setText(name.isEmpty() ? QString::number(i) : QStringLiteral("%1 (%2)").arg(i).arg(name));
    }
    const int checked = external ? 0 : (current >= 0 ? current + 1 : -1);
    for (QAction* entry : qAsConst(entries))
        entry->setChecked(false);
    audioTrackAction = entries.value(checked);
    if (audioTrackAction != nullptr)
        audioTrackAction->setChecked(true);
}

void AvPlayer::changeAudioTrack(QAction* action)
{
    // A refused choice gives the check back to the entry that plays.
    const auto restore = [this, action] {
        action->setChecked(false);
        if (audioTrackAction != nullptr)
            audioTrackAction->setChecked(true);
    };
    const int stream = action->data().toInt();
    if (player == nullptr) {
        restore();
        return;
    }
    if (stream >= 0) {
        if (action == audioTrackAction && player->externalAudio().isEmpty()) {
            action->setChecked(true);
            return;
        }
        player->setExternalAudio(QString());
        if (!player->setAudioStream(stream)) {
            restore();
            return;
        }
        audioTrackAction = action;
        action->setChecked(true);
        return;
    }
    askForFile(
        tr("Open an external audio track"), QString(),
        [this, action](const QString& file) {
            if (player == nullptr)
                return;
            player->setExternalAudio(file);
            audioTrackAction = action;
            action->setChecked(true);
        },
        restore);
}

void AvPlayer::changeChannel(QAction* action)
{
    const auto restore = [this, action] {
        action->setChecked(false);
        if (channelAction != nullptr)
            channelAction->setChecked(true);
    };
    plxav::AudioOutput* output = player != nullptr ? player->audio() : nullptr;
    if (output == nullptr || !output->isOpen()) {
        qWarning("No audio output!");
        restore();
        return;
    }
    if (!output->close()) {
        qWarning("close audio failed");
        restore();
        return;
    }
    output->setChannelLayout(static_cast<plxav::AudioOutput::ChannelLayout>(action->data().toInt()));
    if (!output->open()) {
        qWarning("open audio failed");
        restore();
        return;
    }
    channelAction = action;
    action->setChecked(true);
}

void AvPlayer::updateChannelMenu()
{
    if (player == nullptr)
        return;
    const int layout = player->audio()->channelLayout();
    for (QAction* entry : channelMenu->actions()) {
        if (entry->data().toInt() == layout) {
            channelAction = entry;
            entry->setChecked(true);
        }
    }
}

// ---- picture

void AvPlayer::switchAspectRatio(QAction* action)
{
    const double ratio = action->data().toDouble();
    QAction* previous = aspectAction;
    const auto restore = [action, previous] {
        action->setChecked(false);
        if (previous != nullptr)
            previous->setChecked(true);
    };
    if (action == aspectAction && ratio != -2.0) {
        action->setChecked(true);
        return;
    }
    plxav::VideoRenderer* shown = GetRenderer();
    if (shown == nullptr) {
        restore();
        return;
    }
    if (ratio == 0.0) {
        shown->setOutAspectRatioMode(plxav::VideoRenderer::VideoAspectRatio);
    } else if (ratio == -1.0) {
        shown->setOutAspectRatioMode(plxav::VideoRenderer::RendererAspectRatio);
    } else if (ratio != -2.0) {
        shown->setOutAspectRatioMode(plxav::VideoRenderer::CustomAspectRation);
        shown->setOutAspectRatio(ratio);
    } else {
        auto* dialog = new QInputDialog(this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowTitle(tr("Aspect ratio"));
        dialog->setLabelText(QString());
        dialog->setInputMode(QInputDialog::DoubleInput);
        dialog->setDoubleRange(-2147483647, 2147483647);
        dialog->setDoubleDecimals(1);
        dialog->setDoubleValue(1.0);
        connect(dialog, &QInputDialog::doubleValueSelected, this, [this, action, restore](double value) {
            plxav::VideoRenderer* target = GetRenderer();
            // A ratio of nothing or less has no picture to show.
            if (target == nullptr || !target->setOutAspectRatio(value)) {
                qWarning() << "[player] aspect ratio refused:" << value;
                restore();
                return;
            }
            target->setOutAspectRatioMode(plxav::VideoRenderer::CustomAspectRation);
            aspectAction = action;
            action->setChecked(true);
        });
        connect(dialog, &QDialog::rejected, this, restore);
        dialog->open();
        return;
    }
    aspectAction = action;
    action->setChecked(true);
}

void AvPlayer::changeClockType(QAction* action)
{
    if (player == nullptr)
        return;
    const int type = action->data().toInt();
    if (type < 0)
        player->masterClock()->setClockAuto(true);
    else
        player->masterClock()->setClockType(static_cast<plxav::AVClock::ClockType>(type));
}

// ---- repeat

void AvPlayer::toggleRepeat(bool enable)
{
    repeatEnableAction->setChecked(enable);
    repeatWidgetAction->defaultWidget()->setEnabled(enable);
    repeatMax = enable ? repeatBox->value() : 0;
    if (player == nullptr)
        return;
    player->setRepeat(repeatMax);
    if (enable) {
        player->setStartPosition(MsOf(repeatA->time()));
        player->setStopPosition(MsOf(repeatB->time()));
    } else {
        player->setTimeRange(0, std::numeric_limits<qint64>::max());
    }
}

void AvPlayer::setRepeateMax(int max)
{
    repeatMax = max;
    if (player != nullptr)
        player->setRepeat(max);
}

void AvPlayer::repeatAChanged(QTime t)
{
    if (player != nullptr)
        player->setStartPosition(MsOf(t));
}

void AvPlayer::repeatBChanged(QTime t)
{
    if (player != nullptr && t > repeatA->time())
        player->setStopPosition(MsOf(t));
}

void AvPlayer::updateRepeatEditors()
{
    const qint64 stop = LengthMs();
    for (QTimeEdit* edit : { repeatA, repeatB }) {
        const QSignalBlocker quiet(edit);
        edit->setMinimumTime(TimeOf(player->mediaStartPosition()));
        edit->setMaximumTime(TimeOf(stop));
    }
    const QSignalBlocker quietA(repeatA);
    const QSignalBlocker quietB(repeatB);
    repeatA->setTime(TimeOf(player->startPosition()));
    const qint64 end = player->stopPosition();
    repeatB->setTime(TimeOf(end <= 0 || end > stop ? stop : end));
}

// ---- subtitles

void AvPlayer::toggoleSubtitleEnabled(bool value)
{
    subtitleFilter->setEnabled(value);
}

void AvPlayer::toggleSubtitleAutoLoad(bool value)
{
    subtitleFilter->setAutoLoad(value);
}

void AvPlayer::openSubtitle()
{
    askForFile(tr("Open a subtitle file"), QString(), [this](const QString& file) { subtitleFilter->setFile(file); });
}

void AvPlayer::setSubtitleCharset(QString charSet)
{
    subtitleFilter->setCodec(charSet.toLatin1());
}

void AvPlayer::setSubtitleEngine(QString value)
{
    subtitleFilter->setEngines({ value });
}
