#include "AppResources.h"

#include <QtGlobal>

// Outside any namespace, as the resource compiler's symbol is.
static void InitImages()
{
    Q_INIT_RESOURCE(images);
}

namespace AppResources {

void Init()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    InitImages();
}

} // namespace AppResources
