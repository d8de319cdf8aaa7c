// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/evolution/evolutionstatus.h"

namespace {
// Fixed decimals: the digits stay where they are while the numbers run. -0.000 is shown as 0.
QString fixed(double v, int decimals)
{
    const QString s = QString::number(v, 'f', decimals);
    return s.toDouble() == 0.0 ? QString::number(0.0, 'f', decimals) : s;
}
} // namespace

QString evolutionStatusText(long long steps, double time, const PacketMeasurement &m)
{
    const QString sep = QStringLiteral("   ");
    return QStringLiteral("t = %1 Schritte = %2 m·Δx²/ħ").arg(steps).arg(fixed(time, 0)) + sep
           + QStringLiteral("links %1").arg(fixed(m.left, 3)) + sep + QStringLiteral("rechts %1").arg(fixed(m.right, 3)) + sep
           + QStringLiteral("Norm %1").arg(fixed(m.norm, 6)) + QLatin1Char('\n')
           + QStringLiteral("⟨x⟩ = %1  Δx = %2").arg(fixed(m.meanX, 1), fixed(m.spreadX, 1)) + sep
           + QStringLiteral("⟨p⟩ = %1  Δp = %2").arg(fixed(m.meanP, 5), fixed(m.spreadP, 5)) + sep
           + QStringLiteral("⟨E⟩ = %1  ΔE = %2").arg(fixed(m.meanE, 6), fixed(m.spreadE, 6));
}

QString evolutionStatusHelp()
{
    return QStringLiteral(
        "Zeit seit dem Setzen des Pakets: Schritte zu dt = 50 m·Δx²/ħ.\n"
        "links, rechts: Wahrscheinlichkeit links und rechts der gepunkteten Messlinie "
        "(Strg + linke Maustaste verschiebt sie).\n"
        "Norm: Σ|ψ|², relativ zum Paket beim Setzen.\n"
        "⟨x⟩, Δx: Ort und Ortsunschärfe in Gitterpunkten.\n"
        "⟨p⟩, Δp: Impuls und Impulsunschärfe in ħ/Δx (Impuls 100 am Regler ist 0.01953).\n"
        "⟨E⟩, ΔE: Energie und Energieunschärfe in ħ²/(m·Δx²), auf der Skala des Potentials "
        "(eine Pixelzeile = 0.0001); die gelbe Linie und das Band zeigen sie.");
}
