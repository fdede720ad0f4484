#include "PaletteWidget.h"

#include "ColorBoxWindow.h"
#include "TextSelectWindow.h"
#include "WhiteBoardWidget.h"
#include "app/Nexus.h"
#include "room/MiddleArea.h"

#include <QDebug>
#include <QEvent>
#include <QPushButton>

namespace {

constexpr int kHeight = 40;
constexpr int kWidth = 360;
constexpr int kButtonSize = 24;
constexpr int kZoomSize = 16;
constexpr int kPopUpHideMs = 1000;

struct ButtonImages {
    const char* normal;
    const char* hover; // null: no picture of its own under the mouse
};

// By PaletteWidget::Button.
const ButtonImages kImages[PaletteWidget::ButtonCount]
    = { { "magic_wand", "magic_wand_hover" }, { "pencil", "pencil_hover" }, { "text", "text_hover" },
          { "line", "line_hover" }, { "rect", "rect_hover" }, { "eraser_normal", "eraser_hover" },
          { "clear", "clear_hover" }, { "cancel", "cancel_hover" }, { "renew", "renew_hover" }, { "color3", nullptr },
          { "zoom_in", "zoom_in_hover" }, { "zoom_out", "zoom_out_hover" } };

const char kNormalStyle[]
    = "QPushButton{image: url(:resource/whiteboard/%1/%3.png);background:rgba(212,212,212,0%);border:0px;}"
      "QPushButton::hover{image: url(:resource/whiteboard/%2/%4.png);background:rgba(137,137,137,0%);border:0px;}";
const char kMarkedStyle[]
    = "QPushButton{image: url(:resource/whiteboard/%1/%3.png);background:rgba(137,137,137,0%);border:0px;}"
      "QPushButton::hover{image: url(:resource/whiteboard/%2/%4.png);background:rgba(137,137,137,0%);border:0px;}";
const char kColorStyle[]
    = "QPushButton{image: url(:resource/whiteboard/%1/%2.png);background:rgba(212,212,212,0%);border:0px;}";

// The drawing buttons where the whiteboard right lays them out.
struct Place {
    PaletteWidget::Button button;
    int x;
    const char* toolTip;
};
const Place kPlaces[] = { { PaletteWidget::Laser, 10, "魔棒" }, { PaletteWidget::Pencil, 46, "画笔" },
    { PaletteWidget::Text, 90, "文本工具<br>快捷方式:双击可<br>显示文本框" }, { PaletteWidget::Line, 130, "线" },
    { PaletteWidget::Rect, 170, "矩形" }, { PaletteWidget::Eraser, 210, "橡皮擦<br>快捷方式:选中板书,单击可擦除" },
    { PaletteWidget::Undo, 250, "后退" }, { PaletteWidget::Redo, 290, "前进" }, { PaletteWidget::Color, 330, "颜色" } };

} // namespace

PaletteWidget::PaletteWidget(QWidget* parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("PALETTE_WIDGET"));
    setStyleSheet(QStringLiteral("#PALETTE_WIDGET{background:red;}"));
    for (int i = 0; i < ButtonCount; ++i) {
        m_buttons[i] = new QPushButton(this);
        m_buttons[i]->setStyleSheet(ButtonStyle(i, false));
        m_buttons[i]->hide();
        if (i != ZoomIn && i != ZoomOut)
            m_buttons[i]->setCursor(Qt::PointingHandCursor);
    }
    m_buttons[Color]->installEventFilter(this);
    m_buttons[Text]->installEventFilter(this);

    m_colorHideTimer.setSingleShot(true);
    m_textHideTimer.setSingleShot(true);
    connect(&m_colorHideTimer, &QTimer::timeout, this, [] {
        if (MiddleArea* middle = Nexus::GetMiddleArea())
            middle->OnHideColorBox();
    });
    connect(&m_textHideTimer, &QTimer::timeout, this, [] {
        if (MiddleArea* middle = Nexus::GetMiddleArea())
            middle->OnHideTextSelectBox();
    });

    connect(this, &PaletteWidget::ShapeBarChanged, this, &PaletteWidget::OnShapeBarChanged);
    connect(this, &PaletteWidget::ShowPalette, this, &PaletteWidget::OnShowPalette);
    connect(this, &PaletteWidget::ColorChanged, this, &PaletteWidget::OnColorChanged);
}

QString PaletteWidget::ButtonStyle(int button, bool marked) const
{
    const QString folder = Nexus::GetScaleFolder();
    const ButtonImages& images = kImages[button];
    if (!images.hover)
        return QString::fromLatin1(kColorStyle).arg(folder, QLatin1String(images.normal));
    if (marked) {
        // A zoom tool keeps its picture; the others show the picture under
        // the mouse all the time.
        const bool zoom = button == ZoomIn || button == ZoomOut;
        return QString::fromLatin1(kMarkedStyle)
            .arg(folder, folder, QLatin1String(zoom ? images.normal : images.hover), QLatin1String(images.hover));
    }
    const char* normal = button == Eraser && m_eraserUsed ? "eraser" : images.normal;
    return QString::fromLatin1(kNormalStyle).arg(folder, folder, QLatin1String(normal), QLatin1String(images.hover));
}

int PaletteWidget::ButtonOfTool(int tool)
{
    static const int kButtons[] = { -1, Rect, Line, Pencil, Text, Eraser, Laser, ZoomIn, ZoomOut };
    return tool >= 1 && tool <= 8 ? kButtons[tool] : -1;
}

void PaletteWidget::OnShapeBarChanged(int type)
{
    if (type == m_currentShape)
        return;
    WhiteBoardWidget* board = Nexus::GetWhiteBoardWidget();
    const int previous = ButtonOfTool(m_currentShape);
    if (previous >= 0) {
        m_eraserUsed = m_eraserUsed || previous == Eraser;
        m_buttons[previous]->setStyleSheet(ButtonStyle(previous, false));
        if ((previous == ZoomIn || previous == ZoomOut) && board)
            board->setMouseTracking(true);
    }
    const int next = ButtonOfTool(type);
    if (next >= 0) {
        m_buttons[next]->setStyleSheet(ButtonStyle(next, true));
        // The zoom tools take the mouse away from the board.
        if ((next == ZoomIn || next == ZoomOut) && board)
            board->setMouseTracking(false);
    }
    m_currentShape = type;
}

void PaletteWidget::OnShowPalette()
{
    if (!m_anchor)
        return;
    const bool right = WhiteBoardWidget::HasWhiteboardRight();
    if (parentWidget() != m_anchor)
        setParent(m_anchor);
    resize(right ? kWidth : 0, kHeight);
    move((m_anchor->width() - width()) / 2, m_anchor->height() - height() - 10);
    setObjectName(QStringLiteral("PALETTE_WIDGET"));
    setStyleSheet(QStringLiteral("#PALETTE_WIDGET{background:#ffffff;border-radius:3px;}"));
    show();
    int next = 10;
    if (right) {
        for (const Place& place : kPlaces) {
            QPushButton* button = m_buttons[place.button];
            button->setParent(this);
            button->setFixedSize(kButtonSize, kButtonSize);
            button->move(place.x, (kHeight - kButtonSize) / 2);
            button->setToolTip(QString::fromUtf8(place.toolTip));
            button->setFocusPolicy(Qt::NoFocus);
            button->show();
        }
        next = 370;
    } else {
        for (const Place& place : kPlaces) {
            if (place.button != Eraser)
                m_buttons[place.button]->hide();
        }
        m_buttons[Clear]->hide();
        // Nothing to pick without the right: open pop-ups go too.
        if (MiddleArea* middle = Nexus::GetMiddleArea()) {
            middle->OnHideColorBox();
            middle->OnHideTextSelectBox();
        }
    }
    const QPair<Button, const char*> zooms[] = { { ZoomIn, "放大" }, { ZoomOut, "缩小" } };
    for (const auto& zoom : zooms) {
        QPushButton* button = m_buttons[zoom.first];
        button->setParent(this);
        button->setFixedSize(kZoomSize, kZoomSize);
        button->move(next, (kHeight - kZoomSize) / 2);
        button->setToolTip(QString::fromUtf8(zoom.second));
        button->setFocusPolicy(Qt::NoFocus);
        // The board works at zoom 1: the palette leaves the zoom tools no
        // room, and a button cut by its edge is never shown half.
        button->setVisible(button->geometry().right() < width());
        next += 40;
    }
    show();
}

void PaletteWidget::OnColorChanged(QColor color)
{
    const auto& colors = ColorBoxWindow::Colors();
    for (int i = 0; i < colors.size(); ++i) {
        if (colors.at(i).second == color) {
            m_buttons[Color]->setStyleSheet(
                QString::fromLatin1(kColorStyle).arg(Nexus::GetScaleFolder(), QStringLiteral("color%1").arg(i + 1)));
            return;
        }
    }
}

bool PaletteWidget::eventFilter(QObject* watched, QEvent* event)
{
    const bool enter = event->type() == QEvent::Enter;
    if (!enter && event->type() != QEvent::Leave)
        return QLabel::eventFilter(watched, event);
    MiddleArea* middle = Nexus::GetMiddleArea();
    if (watched == m_buttons[Color] || qobject_cast<ColorBoxWindow*>(watched)) {
        if (enter) {
            qDebug() << "into buttonColorPanel::eventFilte: enter event";
            m_colorHideTimer.stop();
            if (middle && middle->GetColorBox()->isHidden())
                middle->OnShowColorBox();
        } else {
            qDebug() << "into buttonColorPanel::eventFilte: leave event";
            m_colorHideTimer.start(kPopUpHideMs);
        }
    } else if (watched == m_buttons[Text] || qobject_cast<TextSelectWindow*>(watched)) {
        if (enter) {
            qDebug() << "into buttonCharacter::eventFilte: enter event";
            m_textHideTimer.stop();
            if (middle && middle->GetTextSelectBox()->isHidden())
                middle->OnShowTextSelectBox();
        } else {
            qDebug() << "into buttonCharacter::eventFilte: leave event";
            m_textHideTimer.start(kPopUpHideMs);
        }
    }
    return QLabel::eventFilter(watched, event);
}
