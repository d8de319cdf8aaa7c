// SPDX-License-Identifier: GPL-3.0-or-later
#include "csvwriter.h"

#include <iomanip>
#include <locale>
#include <sstream>

void CsvWriter::header(const std::vector<std::string> &names, const std::string &settings)
{
    if (!format_.header)
        return;
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (k == 0)
            put(names[k] + ' ' + (settings.empty() ? "" : settings + ' ') + "digits=" + std::to_string(format_.digits));
        else
            put(names[k]);
    }
    endRow();
}

std::string CsvWriter::number(double value) const
{
    // The classic locale: the user's locale must not put its own separators into the C form.
    std::ostringstream s;
    s.imbue(std::locale::classic());
    s << std::setprecision(format_.digits) << value;
    std::string text = s.str();
    if (format_.german)
        for (char &c : text)
            if (c == '.')
                c = ',';
    return text;
}

void CsvWriter::cell(double value)
{
    put(number(value));
}

void CsvWriter::cell(int index)
{
    put(std::to_string(index));
}

void CsvWriter::endRow()
{
    text_ += '\n';
    rowStarted_ = false;
}

void CsvWriter::put(const std::string &cellText)
{
    const char separator = format_.german ? ';' : ',';
    if (rowStarted_)
        text_ += separator;
    rowStarted_ = true;
    if (cellText.find_first_of(std::string(1, separator) + "\"\n") == std::string::npos) {
        text_ += cellText;
        return;
    }
    text_ += '"';
    for (char c : cellText) {
        if (c == '"')
            text_ += '"';
        text_ += c;
    }
    text_ += '"';
}
