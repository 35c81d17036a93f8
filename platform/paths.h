#pragma once
// Paths beside the saver file, built in fixed buffers without ever cutting a
// path into a different file name. Portable.
#include <cstddef>

#include "platform/text_step.h"

constexpr size_t kSaverPathChars = 256;  // 255 characters and the terminator

// Copies the directory part of `path` (up to and including its last
// backslash) into `directory`. The last backslash is found walking forward
// with `step`, so a double-byte character whose second byte equals a
// backslash is not mistaken for one. A path without a backslash gives "".
// Returns false, leaving "", when the directory does not fit.
bool ExtractDirectory(char* directory, size_t size, const char* path, CharStepFn step);

// `directory` followed by `name` into `out`; false, leaving "", when the
// whole path does not fit.
bool JoinPath(char* out, size_t size, const char* directory, const char* name);
