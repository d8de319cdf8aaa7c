// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app/examples.h"

#include <QDir>
#include <QFileInfo>

const QList<Examples::Entry> &Examples::all()
{
    static const QList<Entry> entries = {
        {QStringLiteral("rechteckmulde.pot"), QStringLiteral("Rechteckmulde (gebundene Zustände)")},
        {QStringLiteral("oszillator.pot"), QStringLiteral("Harmonischer Oszillator")},
        {QStringLiteral("doppelmulde.pot"), QStringLiteral("Symmetrische Doppelmulde (Tunnelaufspaltung)")},
        {QStringLiteral("tunnelpendel.pot"), QStringLiteral("Tunnelpendel: Doppelmulde mit dünnem Wall (Zeitentwicklung)")},
        {QStringLiteral("gitter.pot"), QStringLiteral("Kronig-Penney-Gitter aus 8 Mulden (Bänder)")},
        {QStringLiteral("stufe.pot"), QStringLiteral("Potentialstufe")},
        {QStringLiteral("barriere.pot"), QStringLiteral("Barriere (Tunneleffekt)")},
        {QStringLiteral("doppelbarriere.pot"), QStringLiteral("Doppelbarriere (Resonanztunneln)")},
    };
    return entries;
}

QString Examples::directory(const QString &programDir)
{
    const QDir bin(programDir);
    for (const QString &candidate :
         {bin.filePath(QStringLiteral("examples")), bin.filePath(QStringLiteral(QUANTAURA_EXAMPLES_FROM_BINDIR))}) {
        if (QFileInfo(QDir(candidate).filePath(all().first().file)).isFile())
            return QDir::cleanPath(candidate);
    }
    return QString();
}
