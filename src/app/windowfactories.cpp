#include "app/windowfactories.h"

Tbank::Windows programWindows(const Context& context)
{
    Q_UNUSED(context);
    Tbank::Windows w;
    return w;
}
