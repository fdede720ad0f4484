#include "PropertyEditor.h"

#include "widgets/ClickableMenu.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDebug>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaEnum>
#include <QSpinBox>
#include <QToolButton>
#include <QWidget>

namespace {

const Qt::Alignment kEditorAlignment = Qt::AlignLeft | Qt::AlignVCenter;

QString DetailName(const char* property)
{
    return QStringLiteral("detail_") + QLatin1String(property);
}

QString Translated(const char* name)
{
    return QCoreApplication::translate("QObject", name);
}

bool IsIntegral(QVariant::Type type)
{
    return type == QVariant::Int || type == QVariant::UInt || type == QVariant::LongLong || type == QVariant::ULongLong;
}

} // namespace

PropertyEditor::PropertyEditor(QObject* parent)
    : QObject(parent)
{ }

void PropertyEditor::readProperties(QObject* obj)
{
    m_properties.clear();
    m_values.clear();
    m_details.clear();
    if (obj == nullptr)
        return;
    const QMetaObject* meta = obj->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        m_properties << property;
        const QVariant value = property.read(obj);
        m_values.insert(QLatin1String(property.name()), property.isEnumType() ? QVariant(value.toInt()) : value);
        const QVariant detail = obj->property(DetailName(property.name()).toLatin1().constData());
        if (!detail.isNull())
            m_details.insert(QLatin1String(property.name()), detail.toString());
    }
    m_values.remove(QStringLiteral("objectName"));
}

QWidget* PropertyEditor::buildUi(QObject* obj)
{
    if (m_properties.isEmpty())
        return nullptr;
    auto* panel = new QWidget();
    new QGridLayout(panel);
    int row = 0;
    for (const QMetaProperty& property : qAsConst(m_properties)) {
        if (qstrcmp(property.name(), "objectName") == 0)
            continue;
        QString toolTip;
        if (obj != nullptr)
            toolTip = obj->property(DetailName(property.name()).toLatin1().constData()).toString();
        addEditor(panel, property, row++, toolTip);
    }
    return panel;
}

void PropertyEditor::addEditor(QWidget* panel, const QMetaProperty& property, int row, const QString& toolTip)
{
    auto* grid = static_cast<QGridLayout*>(panel->layout());
    const QString name = QLatin1String(property.name());
    const QVariant value = m_values.value(name);
    const auto addLabel = [&] {
        auto* label = new QLabel(Translated(property.name()), panel);
        label->setTextFormat(Qt::PlainText);
        grid->addWidget(label, row, 0, Qt::AlignRight | Qt::AlignVCenter);
    };
    QWidget* editor = nullptr;
    if (property.isFlagType()) {
        auto* button = new QToolButton(panel);
        button->setText(Translated(property.name()));
        button->setPopupMode(QToolButton::InstantPopup);
        auto* menu = new ClickableMenu(button);
        menu->setObjectName(name);
        const QMetaEnum keys = property.enumerator();
        for (int i = 0; i < keys.keyCount(); ++i) {
            QAction* entry = menu->addAction(QLatin1String(keys.key(i)));
            entry->setCheckable(true);
            entry->setData(keys.value(i));
            entry->setChecked((keys.value(i) & value.toInt()) != 0);
        }
        button->setMenu(menu);
        m_values.insert(name, value.toInt());
        connect(menu, &QMenu::triggered, this, &PropertyEditor::onFlagChange);
        grid->addWidget(button, row, 0, kEditorAlignment);
        editor = button;
    } else if (property.isEnumType()) {
        addLabel();
        auto* box = new QComboBox(panel);
        const QMetaEnum keys = property.enumerator();
        for (int i = 0; i < keys.keyCount(); ++i)
            box->addItem(QLatin1String(keys.key(i)), keys.value(i));
        box->setCurrentIndex(
            value.type() == QVariant::Int ? box->findData(value.toInt()) : box->findText(value.toString()));
        m_values.insert(name, value.toInt());
        connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &PropertyEditor::onEnumChange);
        editor = box;
    } else if (IsIntegral(property.type())) {
        addLabel();
        auto* box = new QSpinBox(panel);
        box->setValue(value.toInt());
        m_values.insert(name, value.toInt());
        connect(box, QOverload<int>::of(&QSpinBox::valueChanged), this, &PropertyEditor::onIntChange);
        editor = box;
    } else if (property.type() == QVariant::Double) {
        addLabel();
        auto* box = new QDoubleSpinBox(panel);
        box->setValue(value.toDouble());
        m_values.insert(name, value.toDouble());
        connect(box, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, &PropertyEditor::onRealChange);
        editor = box;
    } else if (property.type() == QVariant::Bool) {
        auto* box = new QCheckBox(Translated(property.name()), panel);
        box->setChecked(value.toBool());
        m_values.insert(name, value.toBool());
        connect(box, &QCheckBox::clicked, this, &PropertyEditor::onBoolChange);
        grid->addWidget(box, row, 0, 1, 2, kEditorAlignment);
        editor = box;
    } else {
        addLabel();
        m_values.insert(name, value.toString());
        if (property.isWritable()) {
            auto* edit = new QLineEdit(value.toString(), panel);
            connect(edit, &QLineEdit::textChanged, this, &PropertyEditor::onTextChange);
            editor = edit;
        } else {
            auto* label = new QLabel(value.toString(), panel);
            label->setTextFormat(Qt::PlainText);
            editor = label;
        }
    }
    editor->setObjectName(name);
    if (!toolTip.isEmpty())
        editor->setToolTip(toolTip);
    if (grid->indexOf(editor) < 0)
        grid->addWidget(editor, row, 1, kEditorAlignment);
}

QString PropertyEditor::buildText() const
{
    QString text;
    for (const QMetaProperty& property : m_properties) {
        const QString name = QLatin1String(property.name());
        if (name == QLatin1String("objectName"))
            continue;
        text += QStringLiteral("  * %1: ").arg(name);
        if (property.isEnumType()) {
            text += property.isFlagType() ? QStringLiteral("flag ") : QStringLiteral("enum ");
            const QMetaEnum keys = property.enumerator();
            QStringList pairs;
            for (int i = 0; i < keys.keyCount(); ++i)
                pairs << QStringLiteral("%1=%2").arg(QLatin1String(keys.key(i))).arg(keys.value(i));
            text += pairs.join(QLatin1Char(','));
        } else if (property.type() == QVariant::Int) {
            text += QStringLiteral("int");
        } else if (property.type() == QVariant::Double) {
            text += QStringLiteral("real");
        } else if (property.type() == QVariant::String) {
            text += QStringLiteral("text");
        } else if (property.type() == QVariant::Bool) {
            text += QStringLiteral("bool");
        }
        if (m_details.contains(name))
            text += QStringLiteral("\n    > property detail: %1").arg(m_details.value(name).toString());
        text += QLatin1Char('\n');
    }
    return text;
}

void PropertyEditor::onFlagChange(QAction* action)
{
    const QString name = senderName();
    const int current = m_values.value(name).toInt();
    const int bits = action->data().toInt();
    updatePropertyValue(name, action->isChecked() ? (current | bits) : (current & ~bits));
}

void PropertyEditor::onEnumChange(int value)
{
    auto* box = qobject_cast<QComboBox*>(sender());
    if (box != nullptr)
        updatePropertyValue(box->objectName(), box->itemData(value));
}

void PropertyEditor::onIntChange(int value)
{
    updatePropertyValue(senderName(), value);
}

void PropertyEditor::onRealChange(double value)
{
    updatePropertyValue(senderName(), value);
}

void PropertyEditor::onTextChange(const QString& value)
{
    updatePropertyValue(senderName(), value);
}

void PropertyEditor::onBoolChange(bool value)
{
    updatePropertyValue(senderName(), value);
}

QString PropertyEditor::senderName() const
{
    return sender() != nullptr ? sender()->objectName() : QString();
}

void PropertyEditor::updatePropertyValue(const QString& name, const QVariant& value)
{
    if (name.isEmpty() || !m_values.contains(name))
        return;
    qDebug().noquote() << name + QStringLiteral(" >>> ") + value.toString();
    m_values.insert(name, value);
}
