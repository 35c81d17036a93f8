#pragma once
// The screen-saver command line: skipping the program name, reading the
// switch, decimal window handles. Portable: no Windows header, so the rules
// are unit-tested natively; the Windows side passes CharNextA as the stepper.
#include <cstdint>

#include "platform/text_step.h"

// Skips the program name (quoted or not) and the blanks and control
// characters after it; returns the start of the switch tail.
const char* SkipProgramName(const char* line, CharStepFn step);

// Decimal digits from the start of the text, wrapping modulo 2^32; no sign,
// no hexadecimal, no leading blanks. Text without leading digits gives 0.
uint32_t ParseWindowHandle(const char* text);

enum SaverModeKind {
    ModeSettings,        // no switch: settings dialog without owner
    ModeRun,             // S: full screen
    ModePreview,         // P, L: child of the given window
    ModeConfigure,       // C: settings dialog, owned by the given window if any
    ModeChangePassword,  // A: the system's password changer
    ModeInvalid          // anything else: exit code -1
};

struct SaverSwitch {
    SaverModeKind kind;
    uint32_t window;     // the decimal handle after the switch, 0 when none was given
};

// Reads the switch from the tail left by SkipProgramName.
SaverSwitch ParseSaverSwitch(const char* tail);
