// The rows of tests/convert/windows-formats.txt: a test model, the options
// it is converted with, the triangles the Linux converter reads from it and
// the objects and triangles it writes for it. Read by the native test of the Linux converter and by the
// Wine test of morvella-convert.exe.
#ifndef MORVELLA_TESTS_CONVERT_FORMATS_TABLE_H
#define MORVELLA_TESTS_CONVERT_FORMATS_TABLE_H

#include <cctype>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace formats_table {

struct Row {
    std::string file;                  // below the test models' folder
    std::vector<std::string> options;
    long read = 0;                     // triangles in the file as read
    long objects = 0, triangles = 0;   // written
    bool simplified = false;           // the simplifier chose the count
    std::string name;                  // file and options, for the test's name
};

inline void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

// Every row of the table; none when it cannot be read.
inline std::vector<Row> Read(const std::string& path)
{
    std::vector<Row> rows;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream fields(line);
        Row row;
        if (!(fields >> row.file) || row.file[0] == '#' || !(fields >> row.read >> row.objects >> row.triangles))
            continue;
        row.name = row.file;
        for (std::string word; fields >> word;) {
            if (word == "simplified")
                row.simplified = true;
            else
                row.options.push_back(word);
        }
        for (const std::string& o : row.options)
            row.name += "_" + o;
        for (char& c : row.name)
            if (!isalnum((unsigned char)c))
                c = '_';
        rows.push_back(row);
    }
    return rows;
}

}  // namespace formats_table

#endif
