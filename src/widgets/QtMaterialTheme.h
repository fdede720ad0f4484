#pragma once

#include <QColor>
#include <QHash>
#include <QObject>
#include <QString>

// The Material colour theme: the default colours of the Material widgets,
// by key ("primary1", "accent1", "text", "border", "disabled", ...).
class QtMaterialTheme : public QObject
{
    Q_OBJECT

public:
    explicit QtMaterialTheme(QObject* parent = nullptr);

    // The colour of key; an invalid colour (and a warning) for an unknown key.
    QColor lookupColor(const QString& key) const;
    void putColor(const QString& key, const QColor& color);

private:
    QHash<QString, QColor> m_colors;
};
