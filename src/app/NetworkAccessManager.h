#pragma once

#include <QNetworkAccessManager>

// A network access manager that rewinds a seekable request body before
// sending it, so a body that was sent before (a multipart form re-issued
// after an error) goes out whole again instead of empty.
class NetworkAccessManager : public QNetworkAccessManager
{
    Q_OBJECT

public:
    explicit NetworkAccessManager(QObject* parent = nullptr)
        : QNetworkAccessManager(parent)
    { }

protected:
    QNetworkReply* createRequest(Operation op, const QNetworkRequest& request, QIODevice* outgoingData) override
    {
        if (outgoingData && !outgoingData->isSequential())
            outgoingData->reset();
        return QNetworkAccessManager::createRequest(op, request, outgoingData);
    }
};
