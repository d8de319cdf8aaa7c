// SPDX-License-Identifier: GPL-3.0-or-later
#include "evolvecommand.h"

#include "csvwriter.h"

#include "physics/packetmeasurement.h"
#include "physics/packetsimulation.h"
#include "physics/stationarystates.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <algorithm>
#include <iterator>
#include <tuple>
#include <vector>

namespace {

struct Option
{
    const char *name;
    const char *valueName;
    const char *help;
    long long min, max;
};
// The sliders' ranges would be too narrow for a packet of a narrow momentum spread: the
// simulation takes any value the formulas do (a wave number below pi per grid point).
const Option Options[] = {
    {"x0", "index", "evolve: Gitterpunkt der Paketmitte, 0 bis 1023 (nötig).", 0, GridPoints - 1},
    {"p", "impuls", "evolve: Impuls wie am Regler <imp>, ħk = (p div 10) ħ/(512 Δx), -16000 bis 16000 (nötig).", -16000, 16000},
    {"dx", "breite", "evolve: Breite wie am Regler <->, σ = dx/2 Gitterpunkte, 2 bis 10000; Vorgabe 40 wie am Regler.", 2, 10000},
    {"dp", "unschärfe", "evolve: Impulsunschärfe wie am Regler <dp>, 0 bis 1000; Vorgabe 10.", 0, 1000},
    {"steps", "n", "evolve: so viele Zeitschritte zu dt = 50, 0 bis 100000; Vorgabe 1000.", 0, 100000},
    {"every", "k", "evolve: eine Zeile alle k Schritte, 1 bis 100000; Vorgabe 10.", 1, 100000},
    {"line", "index", "evolve: Messlinie (links: Punkte davor), 0 bis 1024; Vorgabe: der höchste Punkt des Potentials.", 0,
     GridPoints},
};

QCommandLineOption option(const Option &o)
{
    return QCommandLineOption(QString::fromLatin1(o.name), QString::fromUtf8(o.help), QString::fromUtf8(o.valueName));
}

const QString StatesName = QStringLiteral("states");

// "0,1" as state numbers, each once; empty if that is not what it says.
std::vector<int> stateList(const QString &text)
{
    std::vector<int> list;
    for (const QString &item : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int k = item.trimmed().toInt(&ok);
        if (!ok || k < 0 || k >= EigenSolver::MaxEigen || std::find(list.begin(), list.end(), k) != list.end())
            return {};
        list.push_back(k);
    }
    return list;
}

} // namespace

namespace EvolveCommand {

void addOptions(QCommandLineParser &parser)
{
    for (const Option &o : Options)
        parser.addOption(option(o));
    parser.addOption(QCommandLineOption(
        StatesName,
        QStringLiteral("evolve: statt eines Pakets die normierte Summe dieser gebundenen Zustände des Teilchens der "
                       "Zeitentwicklung, mit gleichen Gewichten, z. B. 0,1 (statt --x0, --p, --dx, --dp)."),
        QStringLiteral("liste")));
}

bool optionsSet(const QCommandLineParser &parser)
{
    for (const Option &o : Options)
        if (parser.isSet(QString::fromLatin1(o.name)))
            return true;
    return parser.isSet(StatesName);
}

int run(const QCommandLineParser &parser, const std::array<double, GridPoints> &pot, CsvWriter &csv,
        const std::function<void(const QString &)> &complain)
{
    const PacketParams defaults;
    long long v[std::size(Options)] = {0, 0, defaults.dx, defaults.dp, 1000, 10,
                                       PacketMeasurement::highestPoint(pot.data(), GridPoints)};
    // Either a packet (--x0 and --p, perhaps --dx and --dp) or states (--states alone).
    const bool fromStates = parser.isSet(StatesName);
    for (size_t i = 0; i < std::size(Options); ++i) {
        const QString name = QString::fromLatin1(Options[i].name);
        if (fromStates && i < 4 && parser.isSet(name)) {
            complain(QStringLiteral("--states und --%1 schließen einander aus: Zustände oder ein Paket.").arg(name));
            return 2;
        }
        if (!parser.isSet(name)) {
            if (i < 2 && !fromStates) {
                complain(QStringLiteral("evolve braucht --x0 und --p oder --states (--help zeigt die Aufrufe)."));
                return 2;
            }
            continue;
        }
        bool ok = false;
        v[i] = parser.value(name).trimmed().toLongLong(&ok);
        if (!ok || v[i] < Options[i].min || v[i] > Options[i].max) {
            complain(QStringLiteral("--%1 %2: erwartet eine ganze Zahl von %3 bis %4.")
                         .arg(name, parser.value(name)).arg(Options[i].min).arg(Options[i].max));
            return 2;
        }
    }
    const auto [x0, p, dx, dp, steps, every, line] = std::tuple(int(v[0]), int(v[1]), int(v[2]), int(v[3]), int(v[4]),
                                                                 int(v[5]), int(v[6]));

    // The main window's packet: a click `height` pixels above the middle of a view 400 high
    // (peak modulus 0.5); the norm is reported relative to it, so the height does not matter.
    PacketSimulation sim(pot.data());
    sim.setViewHeight(400);
    sim.setParams({x0, 100, dx, p, dp, 0});
    std::string settings = "x0=" + std::to_string(x0) + " p=" + std::to_string(p) + " dx=" + std::to_string(dx) +
                           " dp=" + std::to_string(dp);
    if (fromStates) {
        // As "In die Zeitentwicklung" puts them in, from the eigenfunction window's check box on.
        const std::vector<int> chosen = stateList(parser.value(StatesName));
        if (chosen.empty()) {
            complain(QStringLiteral("--states %1: erwartet Nummern von Zuständen, durch Kommas getrennt, jede einmal "
                                    "(z. B. 0,1).")
                         .arg(parser.value(StatesName)));
            return 2;
        }
        const StationaryStates states(pot.data(), EigenSolver::Trace());
        std::vector<StationaryStates::Part> parts;
        settings = "states=";
        for (int k : chosen) {
            if (k >= states.count()) {
                complain(QStringLiteral("--states: für das Teilchen der Zeitentwicklung hat dieses Potential %1 gebundene "
                                        "Zustände (0 bis %2), nicht %3.")
                             .arg(states.count()).arg(states.count() - 1).arg(k));
                return 1;
            }
            parts.push_back({k, 1.0, 0.0});
            settings += (parts.size() > 1 ? "+" : "") + std::to_string(k);
        }
        sim.placeWave(states.superposition(parts));
    } else {
        sim.rebuild();
    }
    csv.header({"t [m dx^2/hbar]", "norm", "<x> [dx]", "<p> [hbar/dx]", "<E> [hbar^2/(m dx^2)]", "dE [hbar^2/(m dx^2)]",
                "P_left", "P_right"},
               settings + " line=" + std::to_string(line));
    for (int n = 0;; ++n) {
        if (n % every == 0 || n == steps) {
            const PacketMeasurement m = sim.measure(line);
            for (const double v : {sim.time(), m.norm, m.meanX, m.meanP, m.meanE, m.spreadE, m.left, m.right})
                csv.cell(v);
            csv.endRow();
        }
        if (n == steps)
            break;
        sim.step();
    }
    return 0;
}

} // namespace EvolveCommand
