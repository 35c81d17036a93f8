#include <windows.h>

#include "platform/text_step.h"

const char* StepCharA(const char* at)
{
    return CharNextA(at);
}
