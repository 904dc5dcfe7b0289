#include "Outbox.h"

bool ScanOutbox()
{
    return false;
}
