#include "DecoderConfigPage.h"

#include "PropertyEditor.h"
#include "player/Config.h"
#include "player/av/DecoderDescriptor.h"
#include "player/av/VideoDecoder.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

namespace {

using plxav::VideoDecoderId;

// Shared by every decoder page of the process (GUI thread): the checked
// decoders in priority order, and the order the rows are shown in.
QVector<VideoDecoderId>& PriorityIds()
{
    static QVector<VideoDecoderId> ids;
    return ids;
}

QVector<VideoDecoderId>& DisplayIds()
{
    static QVector<VideoDecoderId> ids;
    return ids;
}

// Names of decoders that are not registered are dropped.
QVector<VideoDecoderId> IdsFromNames(const QStringList& names)
{
    QVector<VideoDecoderId> ids;
    for (const QString& name : names) {
        if (name.isEmpty())
            continue;
        if (const VideoDecoderId id = plxav::VideoDecoder::id(name.toLatin1().constData()))
            ids << id;
    }
    return ids;
}

QStringList NamesFromIds(const QVector<VideoDecoderId>& ids)
{
    QStringList names;
    for (VideoDecoderId id : ids)
        names << plxav::VideoDecoder::name(id);
    return names;
}

// The rows' order for a priority: its decoders once each, then every other
// registered decoder in registration order.
QVector<VideoDecoderId> RowOrder(const QStringList& priorityNames)
{
    QStringList names = priorityNames;
    names.removeDuplicates();
    QVector<VideoDecoderId> order = IdsFromNames(names);
    for (VideoDecoderId id : plxav::VideoDecoder::registered()) {
        if (!order.contains(id))
            order << id;
    }
    return order;
}

} // namespace

DecoderConfigPage::DecoderConfigPage(QWidget* parent)
    : ConfigPageBase(parent)
{
    setWindowTitle(tr("Video decoder config page"));
    auto* pageLayout = new QVBoxLayout(this);
    pageLayout->addSpacerItem(new QSpacerItem(320, 0, QSizePolicy::Minimum, QSizePolicy::Minimum));
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    pageLayout->addWidget(scroll);
    auto* content = new QWidget(scroll);
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setSpacing(0);
    auto* column = new QVBoxLayout();
    column->setSpacing(0);
    contentLayout->addLayout(column);
    column->addWidget(new QLabel(
        QStringLiteral("%1 %2 (%3)").arg(tr("Decoder"), tr("Priorities"), tr("reopen is required")), content));
    m_decLayout = new QVBoxLayout();
    column->addLayout(m_decLayout);
    column->addSpacerItem(new QSpacerItem(0, 10, QSizePolicy::Minimum, QSizePolicy::Expanding));
    auto* buttons = new QHBoxLayout();
    m_upButton = new QToolButton(content);
    m_upButton->setObjectName(QStringLiteral("up"));
    m_upButton->setText(tr("Up"));
    m_downButton = new QToolButton(content);
    m_downButton->setObjectName(QStringLiteral("down"));
    m_downButton->setText(tr("Down"));
    buttons->addWidget(m_upButton);
    buttons->addWidget(m_downButton);
    column->addLayout(buttons);
    column->addSpacerItem(new QSpacerItem(0, 10, QSizePolicy::Minimum, QSizePolicy::Expanding));

    const QStringList priority = Config::instance().decoderPriorityNames();
    PriorityIds() = IdsFromNames(priority);
    for (VideoDecoderId id : RowOrder(priority)) {
        const std::unique_ptr<plxav::DecoderDescriptor> decoder(plxav::VideoDecoder::create(id));
        if (!decoder)
            continue;
        auto* item = new DecoderItemWidget(content);
        item->setDecoder(decoder.get());
        m_decItems << item;
        item->setName(decoder->name());
        item->setDescription(decoder->description());
        item->setChecked(PriorityIds().contains(id));
        connect(item, &DecoderItemWidget::enableChanged, this, &DecoderConfigPage::videoDecoderEnableChanged);
        connect(item, &DecoderItemWidget::selected, this, &DecoderConfigPage::onDecSelected);
        m_decLayout->addWidget(item);
    }
    scroll->setWidget(content);

    connect(m_upButton, &QToolButton::clicked, this, &DecoderConfigPage::priorityUp);
    connect(m_downButton, &QToolButton::clicked, this, &DecoderConfigPage::priorityDown);
    connect(&Config::instance(), &Config::decoderPriorityNamesChanged, this, &DecoderConfigPage::onConfigChanged);
}

QString DecoderConfigPage::title() const
{
    return tr("Decoder");
}

QStringList DecoderConfigPage::checkedNames() const
{
    QStringList names;
    for (const DecoderItemWidget* item : m_decItems) {
        if (item->isChecked())
            names << item->name();
    }
    return names;
}

void DecoderConfigPage::applyToConfig()
{
    const QStringList names = checkedNames();
    PriorityIds() = IdsFromNames(names);
    Config::instance().setDecoderPriorityNames(names);
}

void DecoderConfigPage::applyToUi()
{
    onConfigChanged();
}

QVariantHash DecoderConfigPage::videoDecoderOptions() const
{
    QVariantHash options;
    for (const DecoderItemWidget* item : m_decItems)
        options.insert(item->name(), item->options());
    return options;
}

void DecoderConfigPage::videoDecoderEnableChanged()
{
    if (m_updating)
        return;
    const QStringList names = checkedNames();
    PriorityIds() = IdsFromNames(names);
    if (applyOnUiChange())
        Config::instance().setDecoderPriorityNames(names);
}

void DecoderConfigPage::moveRow(int from, int to)
{
    DecoderItemWidget* item = m_decItems.at(from);
    m_decItems.move(from, to);
    if (m_decLayout->indexOf(item) != to) {
        m_decLayout->removeWidget(item);
        m_decLayout->insertWidget(to, item);
    }
}

void DecoderConfigPage::priorityMoved()
{
    const QStringList stored = Config::instance().decoderPriorityNames();
    QStringList rows;
    QStringList priority;
    for (const DecoderItemWidget* item : qAsConst(m_decItems)) {
        rows << item->name();
        if (stored.contains(item->name()))
            priority << item->name();
    }
    DisplayIds() = IdsFromNames(rows);
    PriorityIds() = IdsFromNames(priority);
    if (applyOnUiChange())
        Config::instance().setDecoderPriorityNames(priority);
}

void DecoderConfigPage::priorityUp()
{
    const int at = m_decItems.indexOf(m_selectedDec);
    if (at <= 0)
        return;
    // The row above goes below the selected one.
    moveRow(at - 1, at);
    priorityMoved();
}

void DecoderConfigPage::priorityDown()
{
    const int at = m_decItems.indexOf(m_selectedDec);
    if (at < 0 || at + 1 >= m_decItems.size())
        return;
    // The row below goes where the selected one was.
    moveRow(at + 1, at);
    priorityMoved();
}

void DecoderConfigPage::onDecSelected(DecoderItemWidget* iw)
{
    if (iw == m_selectedDec)
        return;
    if (m_selectedDec != nullptr) {
        m_selectedDec->setSelected(false);
        m_selectedDec->update();
    }
    m_selectedDec = iw;
}

void DecoderConfigPage::updateDecodersUi()
{
    const QStringList priority = NamesFromIds(PriorityIds());
    const QStringList display = NamesFromIds(DisplayIds());
    m_updating = true;
    int position = 0;
    for (const QString& name : display) {
        int found = -1;
        for (int i = position; i < m_decItems.size() && found < 0; ++i) {
            if (m_decItems.at(i)->name() == name)
                found = i;
        }
        if (found < 0)
            continue;
        m_decItems.at(found)->setChecked(priority.contains(name));
        moveRow(found, position);
        ++position;
    }
    m_updating = false;
}

void DecoderConfigPage::onConfigChanged()
{
    const QStringList priority = Config::instance().decoderPriorityNames();
    PriorityIds() = IdsFromNames(priority);
    // The rows follow the new priority, so that a later apply keeps it.
    DisplayIds() = RowOrder(priority);
    updateDecodersUi();
}

// ---- a row

DecoderConfigPage::DecoderItemWidget::DecoderItemWidget(QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    auto* column = new QVBoxLayout(this);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    column->addWidget(line);
    auto* top = new QHBoxLayout();
    m_check = new QCheckBox(this);
    m_expandButton = new QToolButton(this);
    m_expandButton->setText(QStringLiteral("+"));
    top->addWidget(m_check);
    top->addWidget(m_expandButton);
    column->addLayout(top);
    m_description = new QLabel(this);
    m_description->setTextFormat(Qt::PlainText);
    m_description->setWordWrap(true);
    column->addWidget(m_description);
    m_editor = new PropertyEditor(this);

    connect(m_expandButton, &QToolButton::clicked, this, &DecoderItemWidget::toggleEditorVisible);
    connect(m_check, &QCheckBox::pressed, this, &DecoderItemWidget::checkPressed);
    connect(m_check, &QCheckBox::toggled, this, &DecoderItemWidget::enableChanged);
}

QString DecoderConfigPage::DecoderItemWidget::name() const
{
    return m_check->text();
}

void DecoderConfigPage::DecoderItemWidget::setName(const QString& name)
{
    m_check->setText(name);
    setObjectName(name);
}

void DecoderConfigPage::DecoderItemWidget::setDescription(const QString& description)
{
    m_description->setText(description);
}

bool DecoderConfigPage::DecoderItemWidget::isChecked() const
{
    return m_check->isChecked();
}

void DecoderConfigPage::DecoderItemWidget::setChecked(bool checked)
{
    m_check->setChecked(checked);
}

void DecoderConfigPage::DecoderItemWidget::setSelected(bool selected)
{
    m_selected = selected;
}

void DecoderConfigPage::DecoderItemWidget::setDecoder(QObject* decoder)
{
    m_editor->readProperties(decoder);
    m_editorWidget = m_editor->buildUi(decoder);
    if (m_editorWidget == nullptr)
        return;
    m_editorWidget->setEnabled(true);
    layout()->addWidget(m_editorWidget);
    m_editorWidget->setVisible(false);
}

QVariantHash DecoderConfigPage::DecoderItemWidget::options() const
{
    return m_editor->exportAsHash();
}

void DecoderConfigPage::DecoderItemWidget::checkPressed()
{
    m_selected = true;
    update();
    emit selected(this);
}

void DecoderConfigPage::DecoderItemWidget::toggleEditorVisible()
{
    if (m_editorWidget == nullptr)
        return;
    // Hidden, not invisible: the page itself may be out of view.
    const bool show = m_editorWidget->isHidden();
    m_editorWidget->setVisible(show);
    if (auto* button = qobject_cast<QToolButton*>(sender()))
        button->setText(show ? QStringLiteral("-") : QStringLiteral("+"));
    if (parentWidget() != nullptr)
        parentWidget()->adjustSize();
}

void DecoderConfigPage::DecoderItemWidget::mousePressEvent(QMouseEvent* event)
{
    checkPressed();
    QFrame::mousePressEvent(event);
}

void DecoderConfigPage::DecoderItemWidget::paintEvent(QPaintEvent* event)
{
    if (m_selected) {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0, 100, 200, 100));
    }
    QFrame::paintEvent(event);
}
