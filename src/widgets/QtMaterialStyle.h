#pragma once

#include <QColor>
#include <QCommonStyle>
#include <QString>

class QtMaterialTheme;

// The process-wide Material style that hands out the theme's colours. Made
// on the first request, deleted with the application. GUI thread.
class QtMaterialStyle : public QCommonStyle
{
    Q_OBJECT

public:
    static QtMaterialStyle& instance();

    QColor colorFor(const QString& key) const;
    QtMaterialTheme* theme() const { return m_theme; }

private:
    QtMaterialStyle();

    QtMaterialTheme* m_theme = nullptr;
};
