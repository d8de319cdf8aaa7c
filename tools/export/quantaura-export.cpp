// SPDX-License-Identifier: GPL-3.0-or-later
// quantaura-export: the numbers (and pictures) of the eigenfunction and scattering windows for a
// potential file, on standard output as CSV. The windows themselves compute them, offscreen and
// never shown, so the numbers are those a user sees in them.
#include "csvwriter.h"
#include "evolvecommand.h"
#include "physics/scattersetup.h"
#include "ui/app/potentialfile.h"
#include "ui/app/toolkittranslation.h"
#include "ui/eigen/schefview.h"
#include "ui/scattering/plot.h"
#include "ui/scattering/scatterreporter.h"
#include "ui/scattering/window.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QComboBox>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QSaveFile>
#include <QSlider>

#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
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

// Collects the sweep's points, and hands them on to the plot when there is a picture to make.
class Points : public ScatterSink
{
public:
    explicit Points(ScatterSink *next) : next(next) {}
    void reset() override
    {
        rows.clear();
        if (next)
            next->reset();
    }
    void addPoint(double r, double t, double e, int index) override
    {
        rows.push_back({e, r, t});
        if (next)
            next->addPoint(r, t, e, index);
    }
    std::vector<std::array<double, 3>> rows; // E, R, T

private:
    ScatterSink *next;
};

// Writes all of `bytes`, unbuffered: a short write (a full disk, a limit on the file size) shows
// here, and not only in a flush whose failure a commit would overlook.
bool writeAll(QFileDevice &file, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// The picture counts as written only once the file is complete and closed. A new or regular file
// is written beside its name and takes the name only then, so a full disk leaves the old file (or
// none) and never a piece of a picture; a device or pipe is written directly.
bool savePicture(const QImage &image, const QString &path)
{
    QByteArray png;
    QBuffer buffer(&png);
    QString reason;
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        reason = QStringLiteral("kein PNG");
    } else if (const QFileInfo info(path); info.exists() && !info.isFile()) {
        QFile device(path);
        if (device.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && writeAll(device, png)) {
            device.close();
            if (device.error() == QFileDevice::NoError)
                return true;
        }
        reason = device.errorString();
    } else {
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && writeAll(file, png) && file.commit())
            return true;
        reason = file.errorString();
    }
    complain(QStringLiteral("%1: das Bild lässt sich nicht schreiben (%2).").arg(path, reason));
    return false;
}

// What the scattering window would say in a message box goes to standard error instead, so that
// nothing ever waits for a click; there is no help to show and no progress dialog.
class ToStandardError : public ScatterReporter
{
public:
    void error(QWidget *, const QString &, const QString &text) override
    {
        complain(QString(text).trimmed().replace(QStringLiteral("\n\n"), QStringLiteral(" ")));
    }
    void help(QDialog &) override {}
    std::unique_ptr<SweepProgress> sweepStarted(QWidget *) override { return nullptr; }
};

int eigen(const std::array<double, GridPoints> &pot, bool functions, bool evolution, const QString &png, CsvWriter &csv)
{
    SchEFView view(pot.data(), nullptr, EigenSolver::Trace()); // standard output carries the CSV only
    // The time evolution's particle through the window's own check box, as a user chooses it.
    if (evolution)
        view.findChild<QCheckBox *>(QStringLiteral("particle"))->setChecked(true);
    const std::string settings = evolution ? "particle=evolution" : "";
    const int n = view.eigenTotal();
    if (!functions) {
        csv.header({"n", std::string("E ") + EigenUnit}, settings);
        for (int k = 0; k < n; ++k) {
            csv.cell(k);
            csv.cell(view.eigenValueAt(k));
            csv.endRow();
        }
    } else {
        // The eigenfunctions as the window draws them (sum of psi^2 = 400000): numbers, not energies.
        std::vector<std::vector<double>> psi;
        std::vector<std::string> names = {"j", std::string("V ") + EigenUnit};
        for (int k = 0; k < n; ++k) {
            psi.push_back(view.eigenFunctionAt(k));
            names.push_back("psi_" + std::to_string(k));
        }
        csv.header(names, settings);
        for (int j = 0; j < GridPoints; ++j) {
            csv.cell(j);
            csv.cell(view.potential()[j]);
            for (int k = 0; k < n; ++k)
                csv.cell(psi[k][j]);
            csv.endRow();
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

int scattering(const std::array<double, GridPoints> &pot, double width, int factor, const QString &png, CsvWriter &csv)
{
    Window window;
    window.setReporter(std::make_unique<ToStandardError>());
    if (window.setPotential(pot.data(), GridPoints))
        return 1; // refused (main has ruled out the zero potential); the reason is on standard error
    // Through the window's own sliders, exactly as a user sets them.
    window.findChild<QSlider *>(QStringLiteral("Potentialbreite"))->setValue(qRound(width / 0.00001));
    window.findChild<QSlider *>(QStringLiteral("Energiemaximum"))->setValue(10 - factor);
    Plot *plot = window.plot();
    Points points(png.isEmpty() ? nullptr : plot);
    // What the window would say in its message boxes; there is no progress dialog to show.
    ScatterSweep::Hooks hooks;
    hooks.firstOverflow = [] {
        complain(QStringLiteral("Das Potential ist zu breit um durchtunnelt zu werden: "
                                "wo T unter den Zahlenbereich fällt, steht T = 0."));
    };
    hooks.firstUnresolved = [] {
        complain(QStringLiteral("Bei dieser Potentialbreite ist die Welle für eine genaue Rechnung zu kurz: "
                                "die betroffenen Energien bleiben ohne Punkt."));
    };
    window.sweep(points, hooks);
    // The settings as the window took them, so that the table says how it was computed.
    const QString settings = QStringLiteral("width=%1 emax-factor=%2")
                                 .arg(QString::number(window.widthFactorValue(), 'g', 6))
                                 .arg(factor);
    csv.header({std::string("E ") + ScatterUnit, "R", "T"}, settings.toStdString());
    for (const std::array<double, 3> &row : points.rows) {
        for (double v : row)
            csv.cell(v);
        csv.endRow();
    }
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
    installToolkitTranslation(app); // the parser's own texts in German too, where installed

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Gibt aus, was Quantauras Fenster für eine Potentialdatei berechnen, als CSV mit einer Kopfzeile:\n"
        "  eigen           die Energien der gebundenen Zustände (wie im Eigenfunktionsfenster;\n"
        "                  mit --mass-of-evolution die des Teilchens der Zeitentwicklung)\n"
        "  eigenfunctions  die Eigenfunktionen, eine Spalte je Zustand\n"
        "  scattering      E, R und T (wie im Streufenster nach \"Calc\")\n"
        "  evolve          Zeit, Norm, <x>, <p>, <E>, dE und P links/rechts eines Wellenpakets\n"
        "                  (oder mit --states einer Überlagerung gebundener Zustände)\n"
        "Endet mit 0, wenn alles geschrieben ist, mit 1, wenn die Datei, das Potential oder das Schreiben\n"
        "scheitert, und mit 2 bei einem falschen Aufruf."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
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
    const QCommandLineOption digitsOption(QStringLiteral("digits"),
                                          QStringLiteral("Gültige Ziffern jeder Zahl, 1 bis %1; Vorgabe 10.")
                                              .arg(CsvWriter::MaxDigits),
                                          QStringLiteral("n"), QStringLiteral("10"));
    const QCommandLineOption germanOption(QStringLiteral("german"),
                                          QStringLiteral("Deutsches Format: Semikolon zwischen den Spalten, Komma vor "
                                                         "den Nachkommastellen (für eine deutsch eingestellte "
                                                         "Tabellenkalkulation)."));
    const QCommandLineOption noHeaderOption(QStringLiteral("no-header"), QStringLiteral("Ohne die Kopfzeile."));
    const QCommandLineOption evolutionOption(QStringLiteral("mass-of-evolution"),
                                             QStringLiteral("eigen, eigenfunctions: die Zustände des Teilchens der "
                                                            "Zeitentwicklung (Masse 1, wie das Kästchen „Teilchen wie in "
                                                            "der Zeitentwicklung“), in denselben Einheiten."));
    parser.addOptions({widthOption, factorOption, pngOption, digitsOption, germanOption, noHeaderOption, evolutionOption});
    EvolveCommand::addOptions(parser);
    // Not process(): it ends a wrong call with 1, the code for a failed file.
    if (!parser.parse(QCoreApplication::arguments())) {
        complain(QStringLiteral("%1 (--help zeigt die Aufrufe)").arg(parser.errorText()));
        return 2;
    }
    if (parser.isSet(helpOption))
        parser.showHelp(0);
    if (parser.isSet(versionOption))
        parser.showVersion();

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
                        : QStringLiteral("--x0, --p, --dx, --dp, --steps, --every, --line und --states gelten nur für evolve."));
        return 2;
    }
    if ((scatter || evolve) && parser.isSet(evolutionOption)) {
        complain(QStringLiteral("--mass-of-evolution gilt nur für eigen und eigenfunctions."));
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
    CsvFormat format;
    format.digits = parser.value(digitsOption).toInt(&ok);
    if (!ok || format.digits < 1 || format.digits > CsvWriter::MaxDigits) {
        complain(QStringLiteral("--digits %1: die Zahl der gültigen Ziffern ist eine ganze Zahl von 1 bis %2.")
                     .arg(parser.value(digitsOption))
                     .arg(CsvWriter::MaxDigits));
        return 2;
    }
    format.german = parser.isSet(germanOption);
    format.header = !parser.isSet(noHeaderOption);

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
    case PotentialFile::ReadStatus::TooLarge:
        complain(QStringLiteral("%1: %2").arg(file, PotentialFile::tooLargeMessage()));
        return 1;
    }
    // A potential that is 0 everywhere scatters nothing: a mistake of the user's, said plainly
    // (the window itself calls it a severe error in a box).
    if (scatter && ScatterSetup::prepare(pot.data(), GridPoints).refused) {
        complain(QStringLiteral("%1: das Potential ist überall 0; für die Streuung muss es irgendwo von 0 "
                                "verschieden sein.")
                     .arg(file));
        return 1;
    }

    CsvWriter csv(format);
    const QString png = parser.value(pngOption);
    const int status = evolve    ? EvolveCommand::run(parser, pot, csv, complain)
                       : scatter ? scattering(pot, width, factor, png, csv)
                                 : eigen(pot, command == QLatin1String("eigenfunctions"), parser.isSet(evolutionOption), png, csv);
    if (status != 0)
        return status;
    const std::string &out = csv.text();
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
        complain(QStringLiteral("die Ausgabe lässt sich nicht schreiben."));
        return 1;
    }
    return 0;
}
