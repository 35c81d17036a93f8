// Writing morvella.dat: the objects as one chain of records followed by
// their vertex arrays, checked by the saver's own loader before it replaces
// anything on disk.
#ifndef MORVELLA_CONVERT_MODEL_FILE_H
#define MORVELLA_CONVERT_MODEL_FILE_H

#include "convert/layout.h"

#include <string>
#include <vector>

// The whole file: header (its text describes the source), the records of the
// objects and the ending record, then the vertices. False, with the reason,
// when the objects do not fit the format's 32-bit offsets.
bool BuildModelFile(const std::vector<PlannedObject>& objects, const std::string& description,
                    std::vector<unsigned char>* file, std::string* error);

// The saver's own content check on the body, and the counts it finds
// against the objects meant.
bool CheckModelFile(const std::vector<unsigned char>& file, const std::vector<PlannedObject>& objects,
                    std::string* error);

// The temporary name the file has while it is written and checked.
std::string PartialOutputPath(const std::string& path);

// Writes the file beside path under a temporary name, loads it back with the
// saver's loader, and only then renames it over path: path is either left
// as it was or replaced whole.
bool WriteModelFile(const std::string& path, const std::vector<unsigned char>& file,
                    const std::vector<PlannedObject>& objects, std::string* error);

#endif
