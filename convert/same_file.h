// Whether two paths name one file: the same name written another way
// ("./duck.dae", "dir/../duck.dae"), a link, or on Windows another case.
#ifndef MORVELLA_CONVERT_SAME_FILE_H
#define MORVELLA_CONVERT_SAME_FILE_H

#include <string>

// True when both UTF-8 paths exist and are one file. A path that does not
// exist is no other file.
bool SameFile(const std::string& a, const std::string& b);

#endif
