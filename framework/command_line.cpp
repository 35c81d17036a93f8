#include "framework/command_line.h"

static bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

const char* SkipProgramName(const char* line, CharStepFn step)
{
    const char* p = line;
    if (*p == '"') {
        // A quoted name may hold blanks; it runs to the closing quote.
        do {
            p = step(p);
        } while (*p && *p != '"');
        if (*p == '"')
            p = step(p);
    } else if (!IsBlankOrControl(*p)) {
        while (*p && !IsBlankOrControl(*p))
            p = step(p);
    }
    while (*p && IsBlankOrControl(*p))
        p = step(p);
    return p;
}

uint32_t ParseWindowHandle(const char* text)
{
    uint32_t value = 0;
    for (const char* p = text; *p >= '0' && *p <= '9'; ++p)
        value = value * 10u + static_cast<uint32_t>(*p - '0');
    return value;
}

static const char* SkipBlanks(const char* p)
{
    while (*p == ' ')
        ++p;
    return p;
}

SaverSwitch ParseSaverSwitch(const char* tail)
{
    const char* p = tail;
    while (*p == ' ' || *p == '-' || *p == '/')
        ++p;

    SaverSwitch result = { ModeInvalid, 0 };
    switch (*p) {
    case '\0':
        result.kind = ModeSettings;
        break;
    case 'S': case 's':
        result.kind = ModeRun;
        break;
    case 'P': case 'p': case 'L': case 'l':
        result.kind = ModePreview;
        result.window = ParseWindowHandle(SkipBlanks(p + 1));
        break;
    case 'C': case 'c':
        result.kind = ModeConfigure;
        // Only the colon form carries an owner; "/c 1234" ignores the number.
        if (p[1] == ':')
            result.window = ParseWindowHandle(p + 2);
        break;
    case 'A': case 'a':
        result.kind = ModeChangePassword;
        result.window = ParseWindowHandle(SkipBlanks(p + 1));
        break;
    default:
        break;
    }
    return result;
}
