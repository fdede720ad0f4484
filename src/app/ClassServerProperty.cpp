#include "ClassServerProperty.h"

QString ClassServerProperty::GetUrl(Url which) const
{
    if (which < 0 || which >= UrlCount)
        return QString();
    QMutexLocker lock(&m_urlMutex);
    return m_urls[which];
}

void ClassServerProperty::SetUrl(Url which, const QString& value)
{
    if (which < 0 || which >= UrlCount)
        return;
    QMutexLocker lock(&m_urlMutex);
    m_urls[which] = value;
}

void ClassServerProperty::SetUrls(const QHash<Url, QString>& values)
{
    QMutexLocker lock(&m_urlMutex);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (it.key() >= 0 && it.key() < UrlCount)
            m_urls[it.key()] = it.value();
    }
}

QHash<ClassServerProperty::Url, QString> ClassServerProperty::Snapshot() const
{
    QHash<Url, QString> values;
    QMutexLocker lock(&m_urlMutex);
    for (int i = 0; i < UrlCount; ++i)
        values.insert(Url(i), m_urls[i]);
    return values;
}
