#include "kvrresources.h"

#include <QtGlobal>

static void registerKvrResources() { Q_INIT_RESOURCE(kvr_resources); }

void initKvrResources()
{
    static bool done = false;
    if (!done) {
        registerKvrResources();
        done = true;
    }
}
