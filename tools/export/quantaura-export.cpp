// SPDX-License-Identifier: GPL-3.0-or-later
// quantaura-export: the numbers (and pictures) of the eigenfunction and scattering windows for a
// potential file, on standard output as CSV. The windows themselves compute them, offscreen and
// never shown, so the numbers are those a user sees in them.
#include "evolvecommand.h"
#include "ui/scattering/plot.h"
#include "ui/app/potentialfile.h"
#include "ui/eigen/schefview.h"
#include "ui/scattering/window.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QComboBox>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <array>
#include <cmath>
#include <cstdio>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char *const Program = "quantaura-export";
// The windows' units: the eigenfunction window works with the potential x 10000, the
// scattering window with the potential x 1000, both in hbar^2/(m dx^2).
const char *const EigenUnit = "[1e-4 hbar^2/(m dx^2)]";
const char *const ScatterUnit = "[1e-3 hbar^2/(m dx^2)]";

void complain(const QString &text)
{
    std::fprintf(stderr, "%s: %s\n", Program, text.toLocal8Bit().constData());
}

// Numbers as the eigenvalue search's trace lines print them (the stream's default format).
std::string traceNumber(double v)
{
    std::ostringstream s;
    s.imbue(std::locale::classic());
    s << v;
    return s.str();
}

// Collects the sweep's points, and hands them on to the plot when there is a picture to make.
class Points : public ScatterSink
{
public:
    explicit Points(ScatterSink *next) : next(next) {}
    void reset() override
    {
        lines.clear();
        if (next)
            next->reset();
    }
    void addPoint(double r, double t, double e, int index) override
    {
        lines += (Plot::readout(e) + ',' + Plot::readout(r) + ',' + Plot::readout(t) + '\n').toStdString();
        if (next)
            next->addPoint(r, t, e, index);
    }
    std::string lines;

private:
    ScatterSink *next;
};

bool savePicture(const QImage &image, const QString &path)
{
    if (image.save(path, "PNG"))
        return true;
    complain(QStringLiteral("Bild lässt sich nicht schreiben: %1").arg(path));
    return false;
}

// What a window would say in a message box goes to standard error instead, and the box is
// answered at once, so that nothing ever waits for a click.
void answerBoxes()
{
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            complain(box->text().trimmed().replace(QStringLiteral("\n\n"), QStringLiteral(" ")));
            box->done(QMessageBox::Ok);
        }
    });
    timer->start(0);
}

int eigen(const std::array<double, GridPoints> &pot, bool functions, const QString &png, std::string &out)
{
    std::ostream noTrace(nullptr); // standard output carries the CSV only
    SchEFView view(pot.data(), nullptr, noTrace);
    const int n = view.eigenTotal();
    if (!functions) {
        out = std::string("n,E ") + EigenUnit + '\n';
        for (int k = 0; k < n; ++k)
            out += std::to_string(k) + ',' + traceNumber(view.eigenValueAt(k)) + '\n';
    } else {
        std::vector<std::vector<double>> psi;
        out = std::string("j,V ") + EigenUnit;
        for (int k = 0; k < n; ++k) {
            psi.push_back(view.eigenFunctionAt(k));
            out += ",psi_" + std::to_string(k) + ' ' + EigenUnit;
        }
        out += '\n';
        for (int j = 0; j < GridPoints; ++j) {
            out += std::to_string(j) + ',' + traceNumber(view.potential()[j]);
            for (int k = 0; k < n; ++k)
                out += ',' + traceNumber(psi[k][j]);
            out += '\n';
        }
    }
    if (png.isEmpty())
        return 0;
    // The picture as a user would set it up: the levels, and the lowest ten states for the
    // eigenfunctions.
    if (auto *levels = view.findChild<QPushButton *>(QStringLiteral("d")))
        levels->setChecked(true);
    if (auto *count = view.findChild<QComboBox *>(); count && functions) {
        count->setCurrentIndex(3);
        emit count->activated(3);
    }
    return savePicture(view.grab().toImage(), png) ? 0 : 1;
}

int scattering(const std::array<double, GridPoints> &pot, double width, int factor, const QString &png,
               std::string &out)
{
    Window window;
    if (window.setPotential(pot.data(), GridPoints))
        return 1; // refused; the window's reason is on standard error
    // Through the window's own sliders, exactly as a user sets them.
    window.findChild<QSlider *>(QStringLiteral("Potentialbreite"))->setValue(qRound(width / 0.00001));
    window.findChild<QSlider *>(QStringLiteral("Energiemaximum"))->setValue(10 - factor);
    Plot *plot = window.plot();
    Points points(png.isEmpty() ? nullptr : plot);
    // What the window would say in its message boxes; there is no progress dialog to show.
    ScatterSweep::Hooks hooks;
    hooks.firstOverflow = [] {
        complain(QStringLiteral("Das Potential ist zu breit um durchtunnelt zu werden: "
                                "ab der ersten solchen Energie fehlen die Punkte."));
    };
    hooks.firstUnresolved = [] {
        complain(QStringLiteral("Bei dieser Potentialbreite ist die Welle für eine genaue Rechnung zu kurz: "
                                "die betroffenen Energien bleiben ohne Punkt."));
    };
    window.sweep(points, hooks);
    out = std::string("E ") + ScatterUnit + ",R,T\n" + points.lines;
    if (png.isEmpty() || !plot)
        return 0;
    return savePicture(plot->grab().toImage(), png) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    // Never a window on the screen: everything is drawn offscreen. The toolkit's remarks on that
    // (no runtime folder, no window hints) are of no use to the reader of the CSV.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            complain(text);
    });
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(Program));
    QApplication::setApplicationVersion(QStringLiteral(QUANTAURA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Gibt aus, was Quantauras Fenster für eine Potentialdatei berechnen, als CSV mit einer Kopfzeile:\n"
        "  eigen           die Energien der gebundenen Zustände (wie im Eigenfunktionsfenster)\n"
        "  eigenfunctions  die Eigenfunktionen, eine Spalte je Zustand\n"
        "  scattering      E, R und T (wie im Streufenster nach \"Calc\")\n"
        "  evolve          Zeit, Norm, <x>, <p>, <E>, dE und P links/rechts eines Wellenpakets"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("befehl"), QStringLiteral("eigen, eigenfunctions, scattering oder evolve"));
    parser.addPositionalArgument(QStringLiteral("datei"), QStringLiteral("die Potentialdatei (*.pot)"));
    const QCommandLineOption widthOption(QStringLiteral("width"),
                                         QStringLiteral("Potentialbreite (scattering), 0.00001 bis 1 in Schritten "
                                                        "von 0.00001; Vorgabe 0.002."),
                                         QStringLiteral("breite"), QStringLiteral("0.002"));
    const QCommandLineOption factorOption(QStringLiteral("emax-factor"),
                                          QStringLiteral("Energiemaximum in Vielfachen von Vmax (scattering), "
                                                         "2 bis 10; Vorgabe 2."),
                                          QStringLiteral("faktor"), QStringLiteral("2"));
    const QCommandLineOption pngOption(QStringLiteral("png"),
                                       QStringLiteral("Schreibt außerdem das Bild des Fensters (bei scattering: der "
                                                      "Koeffizienten R und T) in diese PNG-Datei."),
                                       QStringLiteral("bild.png"));
    parser.addOptions({widthOption, factorOption, pngOption});
    EvolveCommand::addOptions(parser);
    parser.process(app); // --help, --version and unknown options end here

    const QStringList args = parser.positionalArguments();
    const QStringList commands = {QStringLiteral("eigen"), QStringLiteral("eigenfunctions"),
                                  QStringLiteral("scattering"), QStringLiteral("evolve")};
    if (!args.isEmpty() && !commands.contains(args[0])) {
        complain(QStringLiteral("unbekannter Befehl \"%1\": eigen, eigenfunctions, scattering oder evolve.").arg(args[0]));
        return 2;
    }
    if (args.size() != 2) {
        complain(QStringLiteral("erwartet einen Befehl und eine Potentialdatei (--help zeigt die Aufrufe)."));
        return 2;
    }
    const QString &command = args[0];
    const QString &file = args[1];
    const bool scatter = command == QLatin1String("scattering");
    if (!scatter && (parser.isSet(widthOption) || parser.isSet(factorOption))) {
        complain(QStringLiteral("--width und --emax-factor gelten nur für scattering."));
        return 2;
    }
    const bool evolve = command == QLatin1String("evolve");
    if (evolve ? parser.isSet(pngOption) : EvolveCommand::optionsSet(parser)) {
        complain(evolve ? QStringLiteral("--png gilt nicht für evolve.")
                        : QStringLiteral("--x0, --p, --dx, --dp, --steps, --every und --line gelten nur für evolve."));
        return 2;
    }
    bool ok = false;
    const double width = parser.value(widthOption).toDouble(&ok);
    const double steps = width / 0.00001;
    if (!ok || !(steps >= 0.5 && steps < 100000.5) || std::fabs(steps - std::round(steps)) > 1e-6) {
        complain(QStringLiteral("--width %1: die Potentialbreite geht von 0.00001 bis 1 in Schritten von 0.00001.")
                     .arg(parser.value(widthOption)));
        return 2;
    }
    const int factor = parser.value(factorOption).toInt(&ok);
    if (!ok || factor < 2 || factor > 10) {
        complain(QStringLiteral("--emax-factor %1: das Energiemaximum ist eine ganze Zahl von 2 bis 10 (mal Vmax).")
                     .arg(parser.value(factorOption)));
        return 2;
    }

    // The same reader, with the same rules, as File -> Open; what the status bar would say after
    // loading goes to standard error.
    std::array<double, GridPoints> pot{};
    PotentialFile::ReadNotes notes;
    switch (PotentialFile::read(file, pot.data(), &notes)) {
    case PotentialFile::ReadStatus::Ok:
        if (const QString changed = notes.message(); !changed.isEmpty())
            complain(QStringLiteral("%1: %2").arg(file, changed));
        break;
    case PotentialFile::ReadStatus::NotFound:
        complain(QStringLiteral("%1: die Datei gibt es nicht.").arg(file));
        return 1;
    case PotentialFile::ReadStatus::CannotOpen:
        complain(QStringLiteral("%1: die Datei lässt sich nicht lesen.").arg(file));
        return 1;
    case PotentialFile::ReadStatus::BadFormat:
        complain(QStringLiteral("%1: keine Potentialdatei (die zweite Zeile muss 1024 lauten).").arg(file));
        return 1;
    }

    answerBoxes();
    std::string out;
    const QString png = parser.value(pngOption);
    const int status = evolve    ? EvolveCommand::run(parser, pot, out, complain)
                       : scatter ? scattering(pot, width, factor, png, out)
                                 : eigen(pot, command == QLatin1String("eigenfunctions"), png, out);
    if (status != 0)
        return status;
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
        complain(QStringLiteral("die Ausgabe lässt sich nicht schreiben."));
        return 1;
    }
    return 0;
}
