// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_EXAMPLES_H
#define QUANTAURA_EXAMPLES_H

#include <QCoreApplication>
#include <QList>
#include <QString>

// The example potentials that come with the program (made by examples/make-examples.py):
// file names in teaching order with the titles of the File menu's "Beispiele".
class Examples
{
public:
    struct Entry
    {
        QString file;
        QString title;
    };

    static const QList<Entry> &all();

    // The folder that holds them: "examples" next to the program in the build tree, or the
    // data folder of the prefix the program is installed in (<prefix>/share/quantaura/examples,
    // found relative to <prefix>/bin). Empty when there is neither.
    static QString directory(const QString &programDir = QCoreApplication::applicationDirPath());
};

#endif
