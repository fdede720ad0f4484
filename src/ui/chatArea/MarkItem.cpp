#include "MarkItem.h"

#include "MarkList.h"
#include "app/Nexus.h"
#include "session/DataManager.h"

#include <QAbstractTextDocumentLayout>
#include <QDebug>
#include <QFontMetrics>
#include <QPushButton>
#include <QTextEdit>

namespace {
const QString kBackground = QStringLiteral("#FAFBFC");
const QString kReadBackground = QStringLiteral("#e6e7e8");
constexpr int kReadHeight = 80;
constexpr int kModifyHeight = 120;
constexpr int kMargin = 8;
constexpr int kMaxCharacters = 1000;

// One sheet for the whole row, applied once: a sheet per part and per
// layout costs milliseconds a row, which a long list of marks adds up. The
// parts' looks follow the row's mode through their "mode" property.
QString RowSheet()
{
    // The pictures are drawn for each display scale.
    const QString folder = Nexus::GetScaleFolder();
    return QStringLiteral(
        "#MarkItem{border:0px;border-radius:4px;font:14px Microsoft YaHei;color:#999999;background:%1;}"
        "#MarkItemBg{border:0px solid #f7f7f7;border-radius:4px;font:14px Microsoft YaHei;color:#999999;"
        "background:%1;}"
        "#MarkItemBg[mode=\"1\"]{border:0px;background:%2;}"
        "#MarkTime{border:0px solid red;font:14px Microsoft YaHei;color:#999999;background:%2;}"
        "#MarkTime[mode=\"2\"]{border:0px;background:%1;}"
        "#MarkDelete{image: url(:resource/mark/%3/delete.png);border:0px;}"
        "#MarkDelete:hover{image: url(:resource/mark/%3/delete_hover.png);border:0px;}"
        "#MarkEdit{image: url(:resource/mark/%3/edit.png);border:0px;}"
        "#MarkEdit:hover{image: url(:resource/mark/%3/edit_hover.png);border:0px;}"
        "#MarkDone{border:1px solid #f74944;border-radius:2px;font:13px Microsoft YaHei;color:#ffffff;"
        "background:#f74944;}"
        "#MarkEditor{border:0px solid red;font:12px Microsoft YaHei;color:#333333;background:%2;}"
        "#MarkEditor[mode=\"4\"]{border-radius:4px;font:13px Microsoft YaHei;color:#999999;background:%1;}")
        .arg(kBackground, kReadBackground, folder);
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QSize& size)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setFixedSize(size);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}
} // namespace

MarkItem::MarkItem(QWidget* parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("#MarkItem"));
    setStyleSheet(RowSheet());
    m_background = new QLabel(this);
    m_background->setObjectName(QStringLiteral("MarkItemBg"));
    m_time = new QLabel(m_background);
    m_time->setObjectName(QStringLiteral("MarkTime"));
    m_time->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_delete = MakeButton(m_background, QStringLiteral("MarkDelete"), QSize(20, 20));
    m_delete->setToolTip(QStringLiteral("删除"));
    m_edit = MakeButton(m_background, QStringLiteral("MarkEdit"), QSize(20, 20));
    m_edit->setToolTip(QStringLiteral("编辑"));
    m_done = MakeButton(m_background, QStringLiteral("MarkDone"), QSize(40, 24));
    m_done->setText(QStringLiteral("完成"));
    m_editor = new QTextEdit(m_background);
    m_editor->setObjectName(QStringLiteral("MarkEditor"));
    m_editor->setAcceptRichText(false);
    m_editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editor->setEnabled(false);
    m_editor->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    hide();

    connect(m_delete, &QPushButton::clicked, this, &MarkItem::OnDeleteClicked);
    connect(m_edit, &QPushButton::clicked, this, &MarkItem::OnEditClicked);
    connect(m_done, &QPushButton::clicked, this, &MarkItem::OnDoneClicked);
    connect(m_editor, &QTextEdit::textChanged, this, &MarkItem::OnTextChanged);
}

void MarkItem::SetEditorText(const QString& text)
{
    m_settingText = true;
    m_editor->setPlainText(text);
    m_settingText = false;
}

QString MarkItem::GetEditorText() const
{
    return m_editor->toPlainText();
}

QString MarkItem::TimeText(int seconds)
{
    seconds = qMax(0, seconds);
    return QString::asprintf("%02d:%02d", seconds / 60, seconds % 60);
}

void MarkItem::SetTime(int seconds)
{
    m_time->setText(TimeText(seconds));
}

QString MarkItem::GetTimeText() const
{
    return m_time->text();
}

void MarkItem::RefreshUI(MarkList* list)
{
    qDebug() << "into MarkItem::RefreshUI";
    if (list == nullptr)
        return;
    const int width = list->ItemWidth();
    if (list == m_list && m_markStatus == m_drawnStatus && width == m_drawnWidth) {
        show();
        return;
    }
    m_list = list;
    m_drawnStatus = m_markStatus;
    m_drawnWidth = width;
    if (m_markStatus == Read)
        DrawItem4ModeRead();
    else if (m_markStatus == Modify)
        DrawItem4ModeModify();
    else if (m_markStatus == Desc)
        DrawItem4ModeDesc();
    show();
}

int MarkItem::SizeRow(int height)
{
    const int width = m_list ? m_list->ItemWidth() : this->width();
    resize(width, height);
    m_background->setGeometry(0, 0, width, height);
    return width;
}

void MarkItem::ApplyMode(int mode)
{
    if (m_styledMode == mode)
        return;
    m_styledMode = mode;
    for (QWidget* part : { static_cast<QWidget*>(m_background), static_cast<QWidget*>(m_time),
             static_cast<QWidget*>(m_editor), m_editor->viewport() }) {
        part->setProperty("mode", mode);
        part->style()->unpolish(part);
        part->style()->polish(part);
        part->update();
    }
}

void MarkItem::PlaceTimeLabel()
{
    // At least the usual 40 x 12, and never narrower or lower than its
    // text (long lessons have three-digit minutes), centred on the buttons.
    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPixelSize(14);
    const QFontMetrics fm(font);
    const int width = qMax(40, fm.horizontalAdvance(m_time->text()) + 2);
    const int height = qMax(12, fm.height());
    m_time->setGeometry(10, 7 + (m_edit->height() - height) / 2, width, height);
}

void MarkItem::DrawItem4ModeRead()
{
    qDebug() << "into MarkItem::DrawItem4ModeRead, and pList width:" << (m_list ? m_list->width() : 0);
    const int w = SizeRow(kReadHeight);
    const int h = kReadHeight;
    ApplyMode(Read);
    PlaceTimeLabel();
    m_time->show();
    m_edit->move(w - m_edit->width() - 20, 7);
    m_edit->show();
    m_delete->move(w - m_delete->width() - m_edit->width() - 30, 7);
    m_delete->show();
    m_done->hide();
    m_editor->setEnabled(false);
    m_editor->setGeometry(kMargin, m_edit->height() + 20, w - 2 * kMargin, h - m_edit->height() - 20);
    m_editor->setAlignment(Qt::AlignLeft);
    m_editor->show();
}

void MarkItem::DrawItem4ModeModify()
{
    qDebug() << "into MarkItem::DrawItem4ModeModify, and pList width:" << (m_list ? m_list->width() : 0);
    const int w = SizeRow(kModifyHeight);
    const int h = kModifyHeight;
    ApplyMode(Modify);
    PlaceTimeLabel();
    m_edit->hide();
    m_delete->hide();
    m_done->move(w - m_done->width() - 20, 6);
    m_done->show();
    m_editor->setEnabled(true);
    m_editor->setGeometry(kMargin, m_edit->height() + 20, w - 2 * kMargin, h - m_edit->height() - 26);
    m_editor->setAlignment(Qt::AlignLeft);
    m_editor->show();
}

void MarkItem::DrawItem4ModeDesc()
{
    qDebug() << "into MarkItem::DrawItem4ModeDesc";
    const int w = SizeRow(kReadHeight);
    const int h = kReadHeight;
    ApplyMode(Desc);
    PlaceTimeLabel();
    m_time->hide();
    m_edit->move(w - m_edit->width() - 20, 7);
    m_edit->hide();
    // Above the row, out of sight: the hint offers nothing to delete.
    m_delete->move(w - m_delete->width() - m_edit->width() - 30, -33);
    m_delete->show();
    m_done->hide();
    m_editor->setEnabled(false);
    m_editor->setGeometry(0, 10, w, h - 20);
    m_editor->setAlignment(Qt::AlignLeft);
    m_editor->show();
}

void MarkItem::OnEditClicked()
{
    m_markStatus = Modify;
    if (m_list)
        m_list->RefreshUI();
    // Focus only on opening: the list is laid out again on every layout of
    // the room, which must not take the focus from the chat's input box.
    m_editor->setFocus(Qt::OtherFocusReason);
    m_editor->moveCursor(QTextCursor::End);
}

void MarkItem::OnDoneClicked()
{
    m_markStatus = Read;
    m_strMarkDesc = m_editor->toPlainText();
    if (m_list)
        m_list->RefreshUI();
    DataManager* data = Nexus::GetDataManager();
    if (!data)
        return;
    // The record changes under the session's lock, never here.
    data->SetMarkDescription(m_uuid, m_strMarkDesc);
    emit data->UserEditMark(m_uuid);
}

void MarkItem::OnDeleteClicked()
{
    // The row stays until the room confirms the deletion.
    if (DataManager* data = Nexus::GetDataManager())
        emit data->UserDelMark(m_uuid);
}

void MarkItem::OnTextChanged()
{
    // Only the user's typing in an open editor is limited; texts the row
    // sets itself are shown whole.
    if (m_settingText || m_markStatus != Modify)
        return;
    const QFontMetrics metrics(font());
    const double limit = m_editor->height() + metrics.ascent() + metrics.descent();
    m_settingText = true;
    QTextDocument* document = m_editor->document();
    // No box holds this many characters; a huge paste is cut in one step
    // before the last line is trimmed character by character.
    const int excess = document->characterCount() - 1 - kMaxCharacters;
    if (excess > 0) {
        QTextCursor cursor = m_editor->textCursor();
        const int end = qMax(cursor.position(), excess);
        cursor.setPosition(end - excess);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        m_editor->setTextCursor(cursor);
    }
    while (!document->isEmpty() && document->documentLayout()->documentSize().height() >= limit) {
        qDebug() << "reach the end, and hasWritenSize.height:" << document->documentLayout()->documentSize().height()
                 << "markDesc.height," << m_editor->height();
        QTextCursor cursor = m_editor->textCursor();
        if (cursor.position() == 0)
            cursor.movePosition(QTextCursor::End);
        cursor.deletePreviousChar();
        m_editor->setTextCursor(cursor);
    }
    m_settingText = false;
}
