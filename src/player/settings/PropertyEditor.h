#pragma once

#include <QList>
#include <QMetaProperty>
#include <QObject>
#include <QString>
#include <QVariantHash>

class QAction;
class QWidget;

// Turns the Qt properties of an object into editors and into a table of
// values (property name to value) that the user's edits update; nothing is
// written back to the object. A property's description is the object's
// property "detail_<name>", usually a dynamic one. GUI thread.
class PropertyEditor : public QObject
{
    Q_OBJECT

public:
    explicit PropertyEditor(QObject* parent = nullptr);

    // Reads the properties of obj (inherited ones too), their values and
    // descriptions, replacing what was read before; a null obj leaves
    // everything empty. Enumerations and flags are kept as ints.
    void readProperties(QObject* obj);
    // A new panel with one editor per property read (objectName aside),
    // null when none was read; obj (may be null) gives the tool tips. The
    // caller owns the panel.
    QWidget* buildUi(QObject* obj);
    // A text listing of the properties read, their kinds and descriptions.
    QString buildText() const;
    // The values, with the user's edits.
    QVariantHash exportAsHash() const { return m_values; }

public slots:
    void onFlagChange(QAction* action);
    void onEnumChange(int value);
    void onIntChange(int value);
    void onRealChange(double value);
    void onTextChange(const QString& value);
    void onBoolChange(bool value);

private:
    // Adds the editor of one property at row of the panel's grid.
    void addEditor(QWidget* panel, const QMetaProperty& property, int row, const QString& toolTip);
    // The property whose editor (or flag menu) sent the edit being handled.
    QString senderName() const;
    // Stores an edit of the property.
    void updatePropertyValue(const QString& name, const QVariant& value);

    QList<QMetaProperty> m_properties;
    QVariantHash m_values;
    QVariantHash m_details;
};
