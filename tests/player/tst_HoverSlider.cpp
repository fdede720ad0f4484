#include "TestRegistry.h"

#include "player/Slider.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QtTest>

// The bar slider: a click beside the handle jumps there (moved, then
// pressed, so a listener of both sees the new value at the press), a click
// on the handle drags, other buttons page, and hovering reports the value
// under the pointer.
class TestHoverSlider : public QObject
{
    Q_OBJECT

    Slider* m_slider = nullptr;
    QStringList m_events;

    QRect Handle() const
    {
        QStyleOptionSlider option;
        option.initFrom(m_slider);
        option.orientation = Qt::Horizontal;
        option.minimum = m_slider->minimum();
        option.maximum = m_slider->maximum();
        option.sliderPosition = m_slider->sliderPosition();
        option.sliderValue = m_slider->value();
        option.subControls = QStyle::SC_All;
        return m_slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, m_slider);
    }

private slots:
    void init()
    {
        m_slider = new Slider();
        m_slider->setRange(0, 60000);
        m_slider->resize(400, 20);
        m_slider->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_slider));
        m_events.clear();
        connect(m_slider, &QSlider::sliderMoved, this,
            [this](int value) { m_events << QStringLiteral("moved %1").arg(value); });
        connect(m_slider, &QSlider::sliderPressed, this,
            [this] { m_events << QStringLiteral("pressed %1").arg(m_slider->value()); });
    }
    void cleanup() { delete m_slider; }

    void clickBesideTheHandleJumpsThere_data()
    {
        QTest::addColumn<double>("at");
        QTest::newRow("a quarter") << 0.25;
        QTest::newRow("the middle") << 0.5;
        QTest::newRow("the far end") << 0.99;
    }
    void clickBesideTheHandleJumpsThere()
    {
        QFETCH(double, at);
        const int x = static_cast<int>(m_slider->width() * at);
        QTest::mouseClick(m_slider, Qt::LeftButton, Qt::NoModifier, QPoint(x, 10));
        QCOMPARE(m_events.size(), 2);
        const int value = m_events.first().section(QLatin1Char(' '), 1).toInt();
        QCOMPARE(m_events.first(), QStringLiteral("moved %1").arg(value));
        QCOMPARE(m_events.last(), QStringLiteral("pressed %1").arg(value));
        QCOMPARE(m_slider->value(), value);
        // Within a handle's width of the place clicked.
        QVERIFY(qAbs(value - static_cast<int>(60000 * at)) < 60000 / 20);
        QVERIFY(!m_slider->isSliderDown());
    }

    void clickOnTheHandleDrags()
    {
        m_slider->setValue(30000);
        const QPoint handle = Handle().center();
        QTest::mousePress(m_slider, Qt::LeftButton, Qt::NoModifier, handle);
        QVERIFY(m_slider->isSliderDown());
        QCOMPARE(m_events, QStringList({ QStringLiteral("pressed 30000") }));
        QMouseEvent drag(QEvent::MouseMove, handle + QPoint(40, 0), m_slider->mapToGlobal(handle + QPoint(40, 0)),
            Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_slider, &drag);
        QTest::mouseRelease(m_slider, Qt::LeftButton, Qt::NoModifier, handle + QPoint(40, 0));
        QVERIFY(m_slider->value() > 30000);
    }

    void otherButtonsDoWhatASliderDoes()
    {
        m_slider->setValue(0);
        QTest::mouseClick(m_slider, Qt::RightButton, Qt::NoModifier, QPoint(300, 10));
        // No jump: the base slider leaves a right click alone.
        QVERIFY(m_events.isEmpty());
        QCOMPARE(m_slider->value(), 0);
    }

    void hoverReportsTheValueUnderThePointer()
    {
        QSignalSpy hover(m_slider, &Slider::onHover);
        QTest::mouseMove(m_slider, QPoint(200, 10));
        QTRY_VERIFY(!hover.isEmpty());
        QCOMPARE(hover.last().at(0).toInt(), 200);
        QVERIFY(qAbs(hover.last().at(1).toInt() - 30000) < 60000 / 20);
    }
};

PLOVIX_TEST(TestHoverSlider)
#include "tst_HoverSlider.moc"
