// Every text the object window shows, in English and in Japanese, chosen as
// the saver chooses its language. UTF-8; a few are printf formats, whose
// arguments are named beside them.
#ifndef MORVELLA_OBJECT_TEXTS_H
#define MORVELLA_OBJECT_TEXTS_H

#include "platform/ui_language.h"

enum class Text {
    WindowTitle,
    ModelLabel,
    NoModelChosen,
    Choose,
    UpLabel,
    UpY,
    UpZ,
    Flat,
    Convert,
    ConvertAgain,
    UseIt,
    PutBack,
    ShowIt,
    Close,
    Cancel,
    RemoveHiddenCopy,
    OpenTitle,
    OpenFilterModels,   // %s: the extensions, "*.gltf;*.glb;..."
    OpenFilterAll,
    StageReading,
    StagePreparing,
    StageSimplifying,
    StageWriting,
    Seconds,            // %u: seconds since the conversion began
    Converted,
    ConvertCancelled,
    ConvertFailed,      // %s: the converter's reason (English)
    ConvertCrashed,
    ConvertTimedOut,    // %u: minutes
    ConvertNotStarted,
    SummaryTriangles,   // %s, %s: triangles in the file, in the object
    SummarySize,        // %s: the file's size ("404 KB")
    SummaryPlaced,      // %s: the axis that points up ("y" or "z")
    SummaryFlat,
    WarnColours,
    WarnSimplified,     // %s: triangles before; %.2g: surfaces moved, percent of the size
    WarnOutlineMoved,   // %.2g: percent of the object's size
    WarnHolesOpened,
    WarnOutlineClosed,
    WarnLeftOut,        // %s: how many
    WarnNotAsFew,       // %s: triangles kept
    Saver,              // %s: the saver's path
    SaverFromSettings,
    SaverFromSetup,
    SaverFromSystem,
    NoSaver,
    Installed,
    AlreadyInstalled,
    PutBackDone,
    NoPrevious,
    ElevationCancelled,
    ElevationFailed,    // %s: Windows' reason
    StepRefused,
    StepNoSaver,
    StepWriteFailed,    // %s: Windows' reason
    StepWriteFailedUntold,  // the same where the reason is not known here
    StepFailed,         // %u: the exit code of the elevated run
    HiddenCopy,         // %s: the hidden copy's path
    HiddenCopyRemoved,  // %s: its path
    HiddenCopyNotRemoved, // %s: its path
    SaverNotStarted,    // %s: Windows' reason
    Count
};

const char* TextOf(Text id, UiLanguage language);

#endif
