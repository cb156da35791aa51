#pragma once
// A table of texts (a header row and rows of cells, UTF-8) written the two ways other programs
// read a pasted table: tab-separated lines and an HTML table.
#include <string>
#include <vector>

namespace cs {

struct TextTable {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
};

// One line per row after the header line, cells joined by tabs; a tab or line break inside a
// cell becomes a blank so that every row stays one line of the table.
std::string tabSeparated(const TextTable& table);
// <table> with a <thead> row of <th> and one <tr> of <td> per row; &, <, > and " escaped.
std::string htmlTable(const TextTable& table);
// The text with &, <, > and " written as entities.
std::string htmlEscaped(const std::string& text);

} // namespace cs
