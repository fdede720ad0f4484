// Handlers of received signalling messages whose work comes with the media
// messages. Until then each one only says that it was reached.
#include "DataManager.h"

#include <QDebug>

#define PLOVIX_NOT_HANDLED_YET(Handler)                                                                                \
    void DataManager::Handler(const SignallingMessage& message)                                                        \
    {                                                                                                                  \
        qDebug() << "into " #Handler ", not handled yet, type:" << message.type;                                       \
    }

PLOVIX_NOT_HANDLED_YET(OnRemoteDelMedia)
PLOVIX_NOT_HANDLED_YET(GetMediaTransProgress)
PLOVIX_NOT_HANDLED_YET(GetMediaTransResult)

#undef PLOVIX_NOT_HANDLED_YET
