#include "platform/dpi_awareness.h"

int BecomeDpiAware(const DpiCall calls[kDpiCalls], void* context)
{
    for (int i = 0; i < kDpiCalls; ++i) {
        DpiCallResult result = calls[i](context);
        if (result == DpiCallDone || result == DpiCallRefused)
            return i;
    }
    return -1;
}
