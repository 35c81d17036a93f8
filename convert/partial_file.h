// The model file while it is written, under its temporary name beside the
// output, until it is complete and checked and may take the output's place.
#ifndef MORVELLA_CONVERT_PARTIAL_FILE_H
#define MORVELLA_CONVERT_PARTIAL_FILE_H

#include <cstdio>
#include <string>

// Creates (or empties) the file at the UTF-8 path for writing and reading
// back. On Windows the system removes it when the program ends before
// KeepPartial, however it ends: killed with its guard, from the task
// manager, or crashed; and it must be a file on a disk, not a device such
// as CON, NUL or COM1, which a name like "con.dat.partial" reaches there.
// NULL, with the reason, when it cannot be made.
FILE* CreatePartial(const std::string& path, std::string* error);

// Lets the file outlive the program: call it once the file is complete and
// checked, before closing it. False if the system will not keep it.
bool KeepPartial(FILE* file);

// Removes the file at the UTF-8 path, if there is one: what a conversion
// that did not finish left.
void RemovePartial(const std::string& path);

#endif
