// What a conversion did, told the way a user who has never seen the
// converter's command line reads it: triangles before and after, the file's
// size, how it is placed, and every warning, in the user's language.
#ifndef MORVELLA_OBJECT_USER_SUMMARY_H
#define MORVELLA_OBJECT_USER_SUMMARY_H

#include "convert/convert.h"
#include "convert/format.h"
#include "platform/ui_language.h"

#include <cstddef>
#include <string>

// One line per fact, each ended by a line break (UTF-8).
std::string UserSummary(const ConvertOptions& options, const ConvertReport& report, UiLanguage language);

// A file's size as a user reads it: "812 bytes", "404 KB", "1.3 MB".
std::string FileSize(size_t bytes);

#endif
