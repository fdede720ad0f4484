#include "TestRegistry.h"

#include "player/settings/PropertyEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>
#include <memory>

// An object with a property of every kind the editor knows.
class EditedThing : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Level level MEMBER m_level)
    Q_PROPERTY(Parts parts READ parts WRITE setParts)
    Q_PROPERTY(int count MEMBER m_count)
    Q_PROPERTY(qint64 big MEMBER m_big)
    Q_PROPERTY(double ratio MEMBER m_ratio)
    Q_PROPERTY(bool on MEMBER m_on)
    Q_PROPERTY(QString label MEMBER m_label)
    Q_PROPERTY(QString serial READ serial)

public:
    enum Level { Low = 1, High = 5 };
    Q_ENUM(Level)
    enum Part { NoPart = 0, Top = 1, Bottom = 2, Side = 4 };
    Q_DECLARE_FLAGS(Parts, Part)
    Q_FLAG(Parts)

    EditedThing()
    {
        setProperty("detail_count", QStringLiteral("How many there are"));
        setProperty("detail_level", QStringLiteral("How high"));
    }
    Parts parts() const { return m_parts; }
    void setParts(Parts parts) { m_parts = parts; }
    QString serial() const { return QStringLiteral("SN-7"); }

    Level m_level = High;
    Parts m_parts = Parts(Top | Side);
    int m_count = 500;
    qint64 m_big = 42;
    double m_ratio = 1.25;
    bool m_on = true;
    QString m_label = QStringLiteral("first");
};

// Panels built from an object's properties: the values table, the editors
// and their edits, and the text listing.
class TestPropertyEditor : public QObject
{
    Q_OBJECT

    template <typename T> static T* Editor(QWidget* panel, const char* name)
    {
        return panel->findChild<T*>(QLatin1String(name));
    }

private slots:
    void emptyObjectsGiveNoEditors()
    {
        PropertyEditor editor;
        editor.readProperties(nullptr);
        QVERIFY(editor.exportAsHash().isEmpty());
        QCOMPARE(editor.buildUi(nullptr), nullptr);

        QObject plain;
        editor.readProperties(&plain);
        QVERIFY(editor.exportAsHash().isEmpty());
        const std::unique_ptr<QWidget> panel(editor.buildUi(&plain));
        QVERIFY(panel != nullptr);
        QVERIFY(panel->findChildren<QWidget*>().isEmpty());
        QCOMPARE(editor.buildText(), QString());
    }

    void readsEveryValueWithoutWritingBack()
    {
        EditedThing thing;
        PropertyEditor editor;
        editor.readProperties(&thing);
        const QVariantHash values = editor.exportAsHash();
        QCOMPARE(values.size(), 8);
        QCOMPARE(values.value("level"), QVariant(5));
        QCOMPARE(values.value("parts"), QVariant(5));
        QCOMPARE(values.value("count").toInt(), 500);
        QCOMPARE(values.value("serial").toString(), QStringLiteral("SN-7"));

        const std::unique_ptr<QWidget> panel(editor.buildUi(&thing));
        // Building reports no edit, and the values keep their full range
        // while a box shows what it can.
        QCOMPARE(Editor<QSpinBox>(panel.get(), "count")->value(), 99);
        QCOMPARE(editor.exportAsHash().value("count").toInt(), 500);
        QCOMPARE(Editor<QComboBox>(panel.get(), "level")->currentText(), QStringLiteral("High"));
        QCOMPARE(Editor<QSpinBox>(panel.get(), "count")->toolTip(), QStringLiteral("How many there are"));
        QCOMPARE(Editor<QComboBox>(panel.get(), "level")->toolTip(), QStringLiteral("How high"));
        QVERIFY(Editor<QCheckBox>(panel.get(), "on")->isChecked());
        // A property that cannot be written is only shown.
        QLabel* serial = Editor<QLabel>(panel.get(), "serial");
        QVERIFY(serial != nullptr);
        QCOMPARE(serial->text(), QStringLiteral("SN-7"));
        QCOMPARE(Editor<QLineEdit>(panel.get(), "serial"), nullptr);

        Editor<QSpinBox>(panel.get(), "count")->setValue(12);
        Editor<QSpinBox>(panel.get(), "big")->setValue(7);
        Editor<QDoubleSpinBox>(panel.get(), "ratio")->setValue(2.5);
        Editor<QComboBox>(panel.get(), "level")->setCurrentText(QStringLiteral("Low"));
        Editor<QLineEdit>(panel.get(), "label")->setText(QStringLiteral("second"));
        Editor<QCheckBox>(panel.get(), "on")->click();
        const QVariantHash edited = editor.exportAsHash();
        QCOMPARE(edited.value("count").toInt(), 12);
        QCOMPARE(edited.value("big").toInt(), 7);
        QCOMPARE(edited.value("ratio").toDouble(), 2.5);
        QCOMPARE(edited.value("level").toInt(), int(EditedThing::Low));
        QCOMPARE(edited.value("label").toString(), QStringLiteral("second"));
        QCOMPARE(edited.value("on").toBool(), false);
        QCOMPARE(thing.m_count, 500);
        QCOMPARE(thing.m_label, QStringLiteral("first"));
    }

    void flagEntriesSetAndClearTheirBits()
    {
        EditedThing thing;
        PropertyEditor editor;
        editor.readProperties(&thing);
        const std::unique_ptr<QWidget> panel(editor.buildUi(&thing));
        QMenu* menu = Editor<QToolButton>(panel.get(), "parts")->menu();
        QCOMPARE(menu->objectName(), QStringLiteral("parts"));
        QMap<QString, QAction*> entries;
        for (QAction* entry : menu->actions())
            entries.insert(entry->text(), entry);
        QCOMPARE(entries.size(), 4);
        QVERIFY(entries["Top"]->isChecked());
        QVERIFY(!entries["Bottom"]->isChecked());
        QVERIFY(entries["Side"]->isChecked());
        // The key of no bits is never shown set, and setting it sets nothing.
        QVERIFY(!entries["NoPart"]->isChecked());
        entries["NoPart"]->trigger();
        QCOMPARE(editor.exportAsHash().value("parts").toInt(), 5);
        entries["Bottom"]->trigger();
        QCOMPARE(editor.exportAsHash().value("parts").toInt(), 7);
        entries["Top"]->trigger();
        QCOMPARE(editor.exportAsHash().value("parts").toInt(), 6);
    }

    void listsThePropertiesAsText()
    {
        EditedThing thing;
        PropertyEditor editor;
        editor.readProperties(&thing);
        QCOMPARE(editor.buildText(),
            QStringLiteral("  * level: enum Low=1,High=5\n    > property detail: How high\n"
                           "  * parts: flag NoPart=0,Top=1,Bottom=2,Side=4\n"
                           "  * count: int\n    > property detail: How many there are\n"
                           "  * big: \n"
                           "  * ratio: real\n"
                           "  * on: bool\n"
                           "  * label: text\n"
                           "  * serial: text\n"));
        // A new object starts the tables afresh.
        QObject plain;
        editor.readProperties(&plain);
        QCOMPARE(editor.buildText(), QString());
    }
};

PLOVIX_TEST(TestPropertyEditor)
#include "tst_PropertyEditor.moc"
