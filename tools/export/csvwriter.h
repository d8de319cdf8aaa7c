// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_CSVWRITER_H
#define QUANTAURA_CSVWRITER_H

#include <string>
#include <vector>

// How the export's tables are written. German: ';' between cells and a decimal comma, which a
// spreadsheet set to German splits and reads as numbers without asking; otherwise ',' and '.'.
struct CsvFormat
{
    int digits = 10; // significant digits, as %.{digits}g
    bool german = false;
    bool header = true; // the line of column names
};

// Builds one table: an optional header line, then rows of numbers. Cells that hold the
// separator or a quote are quoted, so every line splits into the same cells everywhere.
class CsvWriter
{
public:
    static constexpr int MaxDigits = 17; // enough for every double to read back exactly

    explicit CsvWriter(const CsvFormat &format) : format_(format) {}

    // The column names. `settings` ("width=0.002 ...") follow the first name, together with the
    // digits, so that the table keeps a single header line and says how it was made.
    void header(const std::vector<std::string> &names, const std::string &settings = {});
    void cell(double value);
    void cell(int index); // counts and grid indices, always in full
    void endRow();

    // A number as a cell shows it.
    std::string number(double value) const;
    const std::string &text() const { return text_; }

private:
    void put(const std::string &cellText);

    CsvFormat format_;
    std::string text_;
    bool rowStarted_ = false;
};

#endif
