#include "common/text_table.h"

namespace cs {

namespace {

void appendLine(std::string& out, const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i)
            out += '\t';
        for (const char c : cells[i])
            out += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
    }
    out += '\n';
}

void appendHtmlRow(std::string& out, const std::vector<std::string>& cells, const char* tag) {
    out += "<tr>";
    for (const std::string& cell : cells)
        out += std::string("<") + tag + ">" + htmlEscaped(cell) + "</" + tag + ">";
    out += "</tr>\n";
}

} // namespace

std::string htmlEscaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string tabSeparated(const TextTable& table) {
    std::string out;
    appendLine(out, table.header);
    for (const auto& row : table.rows)
        appendLine(out, row);
    return out;
}

std::string htmlTable(const TextTable& table) {
    std::string out = "<table>\n<thead>\n";
    appendHtmlRow(out, table.header, "th");
    out += "</thead>\n<tbody>\n";
    for (const auto& row : table.rows)
        appendHtmlRow(out, row, "td");
    out += "</tbody>\n</table>\n";
    return out;
}

} // namespace cs
