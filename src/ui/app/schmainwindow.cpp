// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app/schmainwindow.h"

#include "physics/grid.h"
#include "ui/widgets/controlhelp.h"
#include "ui/widgets/editableslider.h"
#include "ui/app/examples.h"
#include "ui/app/handbookwindow.h"
#include "ui/app/potentialfile.h"
#include "ui/app/sidewindows.h"
#include "ui/evolution/evolutionstatus.h"
#include "ui/evolution/potentialmodel.h"
#include "ui/evolution/schdrawingsurface.h"

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QUndoStack>
#include <QVBoxLayout>

#include <array>

namespace {
// 16x16 menu icons: " " transparent, "." black, "X" white (yellow in the folder).
const char *const newIcon[] = {
    "16 16 3 1", "  c None", ". c #000000000000", "X c #FFFFFFFFFFFF",
    "                ", "   ......       ", "   .XXX.X.      ", "   .XXX.XX.     ",
    "   .XXX.XXX.    ", "   .XXX.....    ", "   .XXXXXXX.    ", "   .XXXXXXX.    ",
    "   .XXXXXXX.    ", "   .XXXXXXX.    ", "   .XXXXXXX.    ", "   .XXXXXXX.    ",
    "   .XXXXXXX.    ", "   .........    ", "                ", "                "};
const char *const openIcon[] = {
    "16 16 3 1", "  c None", ". c #000000000000", "X c #FFFFFFFF0000",
    "                ", "                ", "         ....   ", "        .XXXX.  ",
    " .............. ", " .XXXXXXXXXXXX. ", " .XXXXXXXXXXXX. ", " .XXXXXXXXXXXX. ",
    " .XXXXXXXXXXXX. ", " .XXXXXXXXXXXX. ", " .XXXXXXXXXXXX. ", " .XXXXXXXXXXXX. ",
    " .XXXXXXXXXXXX. ", " .XXXXXXXXXXXX. ", " .............. ", "                "};
const char *const saveIcon[] = {
    "16 16 3 1", "  c None", ". c #000000000000", "X c #FFFFFFFFFFFF",
    "                ", "                ", "   .........    ", "  ...........   ",
    "  ........ ..   ", "  ...........   ", "  ...........   ", "  ...........   ",
    "  ...........   ", "  ...XXXXX...   ", "  ...XXXXX...   ", "  ...XXXXX...   ",
    "  ...XXXXX...   ", "   .........    ", "                ", "                "};

QPushButton *toggleButton(const QString &text, const char *name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setCheckable(true);
    return b;
}
} // namespace

SchMainWindow::SchMainWindow() : QMainWindow(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Schrödinger"));

    // Menus.
    menu = menuBar();
    QMenu *file = new QMenu(QStringLiteral("&File"), this);
    file->addAction(QIcon(QPixmap(newIcon)), QStringLiteral("&New"), QKeySequence(Qt::CTRL | Qt::Key_N),
                    this, &SchMainWindow::news);
    file->addAction(QIcon(QPixmap(openIcon)), QStringLiteral("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O),
                    this, &SchMainWindow::open);
    file->addAction(QIcon(QPixmap(saveIcon)), QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S),
                    this, &SchMainWindow::save);
    examplesDir = Examples::directory();
    QMenu *examples = file->addMenu(QStringLiteral("&Beispiele"));
    for (const Examples::Entry &e : Examples::all())
        examples->addAction(e.title, this, [this, name = e.file] { openExample(name); });
    file->addSeparator();
    // Through closeEvent, which asks before a changed potential is lost, and then quits.
    file->addAction(QStringLiteral("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_Q), this, &QWidget::close);
    QMenu *edit = new QMenu(QStringLiteral("&Bearbeiten"), this);
    QAction *undo = edit->addAction(QStringLiteral("&Rückgängig"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction *redo = edit->addAction(QStringLiteral("&Wiederherstellen"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    QMenu *evolution = new QMenu(QStringLiteral("&Zeitentwicklung"), this); // filled below
    QMenu *help = new QMenu(QStringLiteral("&Help"), this);
    help->addAction(QStringLiteral("&Handbuch"), QKeySequence(Qt::Key_F1), this, [this] { HandbookWindow::showFor(this); });
    help->addAction(QStringLiteral("&About"), QKeySequence(Qt::CTRL | Qt::Key_H), this, &SchMainWindow::about);
    help->addAction(QStringLiteral("About &Qt"), this, &SchMainWindow::aboutQt);
    help->addSeparator();
    help->addAction(addWhatsThisKey(this));
    menu->addMenu(file);
    menu->addMenu(edit);
    menu->addMenu(evolution);
    menu->addSeparator();
    menu->addMenu(help);
    statusBar();

    // Widget tree: control column on the left, button row and drawing surface on the right.
    auto *mainSplitter = new QSplitter(Qt::Horizontal, this);
    mainSplitter->setOpaqueResize(true);
    mainSplitter->setMinimumSize(700, 300);
    mainSplitter->setChildrenCollapsible(false);
    setCentralWidget(mainSplitter);

    auto *outer = new QWidget(mainSplitter);
    outer->setMinimumSize(700, 300);
    auto *outerLayout = new QHBoxLayout(outer);
    outerLayout->setContentsMargins(0, 0, 0, 0);

    auto *column = new QWidget(outer);
    column->setFixedWidth(160);
    auto *columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    outerLayout->addWidget(column);

    auto *penBox = new QGroupBox(column);
    penBox->setFixedSize(160, 40);
    auto *penLayout = new QHBoxLayout(penBox);
    penLayout->setContentsMargins(2, 2, 2, 2);
    auto *penGroup = new QButtonGroup(penBox);
    QPushButton *penP = toggleButton(QStringLiteral("X"), "", penBox);
    QPushButton *penV = toggleButton(QStringLiteral("V"), "", penBox);
    QPushButton *penH = toggleButton(QStringLiteral("-"), "", penBox);
    for (QPushButton *b : {penP, penV, penH}) {
        penLayout->addWidget(b);
        penGroup->addButton(b);
    }
    penV->setChecked(true);
    columnLayout->addWidget(penBox);

    penRangeS = new EditableSlider(10, 1100, 1, 30, Qt::Horizontal, column, QStringLiteral("<->"));
    columnLayout->addWidget(penRangeS);

    modeGroup = new QGroupBox(column);
    modeGroup->setFixedSize(160, 120);
    auto *modeLayout = new QVBoxLayout(modeGroup);
    auto *modeButtons = new QButtonGroup(modeGroup);
    potButton = toggleButton(QStringLiteral("Pot"), "spb1", modeGroup);
    packButton = toggleButton(QStringLiteral("Pack"), "spb2", modeGroup);
    modeLayout->addWidget(potButton);
    modeLayout->addWidget(packButton);
    modeButtons->addButton(potButton);
    modeButtons->addButton(packButton);
    potButton->setChecked(true);
    columnLayout->addWidget(modeGroup);

    actionGroup = new QGroupBox(column);
    auto *actionLayout = new QVBoxLayout(actionGroup);
    clearButton = new QPushButton(QStringLiteral("Clear"), actionGroup);
    clearButton->setObjectName(QStringLiteral("clearB"));
    fourierButton = toggleButton(QStringLiteral("Fourier"), "fouB", actionGroup);
    actionLayout->addWidget(clearButton);
    actionLayout->addWidget(fourierButton);
    columnLayout->addWidget(actionGroup);

    dxS = new EditableSlider(40, 500, 1, 40, Qt::Horizontal, column, QStringLiteral("<->"));
    pS = new EditableSlider(-100, 100, 1, 0, Qt::Horizontal, column, QStringLiteral("<imp>"));
    dpS = new EditableSlider(1, 100, 1, 10, Qt::Horizontal, column, QStringLiteral("<dp>"));
    zS = new EditableSlider(-100, 100, 1, 10, Qt::Horizontal, column, QStringLiteral("<z>"));
    for (EditableSlider *s : {dxS, pS, dpS, zS})
        columnLayout->addWidget(s);
    columnLayout->addStretch(1);

    auto *innerSplitter = new QSplitter(outer);
    innerSplitter->setOpaqueResize(true);
    innerSplitter->setChildrenCollapsible(false);
    outerLayout->addWidget(innerSplitter, 1);
    auto *right = new QWidget(innerSplitter);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    auto *buttonRow = new QWidget(right);
    buttonRow->setFixedHeight(40);
    auto *rowLayout = new QHBoxLayout(buttonRow);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    QPushButton *startButton = toggleButton(QStringLiteral("Start"), "d", buttonRow);
    streuButton = toggleButton(QStringLiteral("Streuung"), "k", buttonRow);
    QPushButton *eigenButton = toggleButton(QStringLiteral("Eigenfunktionen"), "v", buttonRow);
    for (QPushButton *b : {startButton, streuButton, eigenButton})
        rowLayout->addWidget(b);
    rightLayout->addWidget(buttonRow);

    surface = new SchDrawingSurface(right);
    rightLayout->addWidget(surface, 1);
    sides = new SideWindows(this, this);
    surface->useSideWindows(sides);

    // Created last of the sliders, but it belongs at the bottom of the action group.
    smoothS = new EditableSlider(10, 100, 1, 30, Qt::Horizontal, actionGroup, QStringLiteral("Smooth: "));
    smoothS->setEnabled(false);
    smoothS->setMaximumWidth(250);
    actionLayout->addWidget(smoothS);

    // The controls' initial positions are not sent: the surface starts from its own values.
    connect(potButton, &QPushButton::toggled, surface, &SchDrawingSurface::potOnOff);
    connect(packButton, &QPushButton::toggled, surface, &SchDrawingSurface::packOnOff);
    connect(clearButton, &QPushButton::pressed, surface, &SchDrawingSurface::clear);
    connect(smoothS, &EditableSlider::valueChanged, surface, &SchDrawingSurface::flevelChanged);
    connect(fourierButton, &QPushButton::toggled, surface, &SchDrawingSurface::fourierOnOff);
    connect(fourierButton, &QPushButton::toggled, smoothS, &EditableSlider::setEnabled);
    connect(penRangeS, &EditableSlider::valueChanged, surface, &SchDrawingSurface::setPenRange);
    connect(penV, &QPushButton::toggled, surface, &SchDrawingSurface::penVOnOff);
    connect(penH, &QPushButton::toggled, surface, &SchDrawingSurface::penHOnOff);
    connect(penP, &QPushButton::toggled, surface, &SchDrawingSurface::penPOnOff);
    connect(dxS, &EditableSlider::valueChanged, surface, &SchDrawingSurface::setDX);
    connect(pS, &EditableSlider::valueChanged, surface, &SchDrawingSurface::setP);
    connect(dpS, &EditableSlider::valueChanged, surface, &SchDrawingSurface::setDP);
    connect(zS, &EditableSlider::valueChanged, surface, &SchDrawingSurface::setZ);
    connect(startButton, &QPushButton::toggled, surface, &SchDrawingSurface::startEvolution);
    connect(streuButton, &QPushButton::toggled, surface, &SchDrawingSurface::startStreu);
    connect(eigenButton, &QPushButton::toggled, surface, &SchDrawingSurface::startEigen);
    // The surface ends the smoothing tool on a mode change, and the scattering window may refuse
    // the potential: the buttons follow, and through their toggled() the surface and the slider.
    connect(surface, &SchDrawingSurface::selectionToolEnded, fourierButton, [this] { fourierButton->setChecked(false); });
    connect(surface, &SchDrawingSurface::scatteringRefused, streuButton, [this] { streuButton->setChecked(false); });
    // A wave function from the eigenfunction window arrives stopped, and shows as a packet does.
    connect(sides, &SideWindows::stateChosen, this, [this, startButton] {
        startButton->setChecked(false);
        packButton->setChecked(true);
    });

    // The history of the potential behind the edit menu; the items name the step they act on.
    PotentialModel *potential = surface->potential();
    QUndoStack *history = potential->history();
    connect(undo, &QAction::triggered, potential, &PotentialModel::undo);
    connect(redo, &QAction::triggered, potential, &PotentialModel::redo);
    undo->setEnabled(false);
    redo->setEnabled(false);
    connect(history, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(history, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    auto naming = [](QAction *a, const QString &base) {
        return [a, base](const QString &step) { a->setText(step.isEmpty() ? base : base + QStringLiteral(": ") + step); };
    };
    connect(history, &QUndoStack::undoTextChanged, undo, naming(undo, undo->text()));
    connect(history, &QUndoStack::redoTextChanged, redo, naming(redo, redo->text()));

    // Help in place: what each control does, and in which unit.
    const QString potUnit = QStringLiteral("Eine Pixelzeile = 0.0001 ħ²/(m·Δx²), die Mittellinie ist 0.");
    describeControl(penP, QStringLiteral("Stift Gerade"),
                    QStringLiteral("Stift „Gerade“: verbindet den zuletzt gezeichneten Punkt geradlinig mit dem Mauspunkt."),
                    potUnit);
    describeControl(penV, QStringLiteral("Stift Zelt"),
                    QStringLiteral("Stift „Zelt“: setzt das Potential am Mauspunkt auf dessen Höhe und verbindet es nach beiden "
                                   "Seiten geradlinig mit dem Potential am Rand der Stiftbreite."),
                    potUnit);
    describeControl(penH, QStringLiteral("Stift Plateau"),
                    QStringLiteral("Stift „Plateau“: setzt das Potential über die ganze Stiftbreite auf die Höhe des Mauspunkts."),
                    potUnit);
    penRangeS->describe(QStringLiteral("Stiftbreite"),
                        QStringLiteral("Stiftbreite: so viele Gitterpunkte (von 1024) reichen Zelt und Plateau nach jeder Seite, 10 bis 1100."));
    describeControl(potButton, QStringLiteral("Modus Potential"),
                    QStringLiteral("Modus „Pot“: mit der linken Maustaste das Potential zeichnen."), potUnit);
    describeControl(packButton, QStringLiteral("Modus Paket"),
                    QStringLiteral("Modus „Pack“: ein Klick oberhalb der Mittellinie setzt dort ein Gaußsches Wellenpaket; "
                                   "die Höhe des Klicks bestimmt seine Amplitude."));
    describeControl(clearButton, QStringLiteral("Potential löschen"),
                    QStringLiteral("Setzt im Modus „Pot“ das ganze Potential auf 0 (rückgängig mit Strg+Z)."));
    describeControl(fourierButton, QStringLiteral("Glätten"),
                    QStringLiteral("Glätten: ein mit der Maus aufgezogenes Rechteck glättet das Potential in seinem Bereich "
                                   "(Tiefpass im Fourierraum, mit der Umgebung verbunden)."));
    smoothS->describe(QStringLiteral("Glättungsstärke"),
                      QStringLiteral("Stärke der Glättung, 10 bis 100: je größer, desto stärker werden hohe Frequenzen gedämpft."));
    dxS->describe(QStringLiteral("Paketbreite"),
                  QStringLiteral("Breite des Wellenpakets, 40 bis 500: die Standardabweichung von |ψ|² ist halb so viele Gitterpunkte."));
    pS->describe(QStringLiteral("Impuls"),
                 QStringLiteral("Mittlerer Impuls des Pakets, positiv nach rechts. Er ändert sich in Schritten von 10: "
                                "Wert/10 (ganzzahlig) ist ħk in Einheiten von ħ/(512·Δx)."));
    dpS->describe(QStringLiteral("Impulsunschärfe"),
                  QStringLiteral("Verbreitert die Impulsverteilung des Pakets (1 bis 100) durch eine quadratische Phase."));
    zS->describe(QStringLiteral("Vorlauf"),
                 QStringLiteral("Baut das Paket neu und rechnet es so viele Zeitschritte zu dt = 50 m·Δx²/ħ voraus "
                                "(negative Werte: keine Schritte)."));
    describeControl(startButton, QStringLiteral("Start"),
                    QStringLiteral("Startet und hält die Zeitentwicklung (auch mit der Leertaste auf der Zeichenfläche): "
                                   "Schritte zu dt = 50 m·Δx²/ħ im Tempo des Menüs Zeitentwicklung."),
                    QStringLiteral("Das Potential lässt sich auch während des Laufs zeichnen."));
    describeControl(streuButton, QStringLiteral("Streuung"),
                    QStringLiteral("Öffnet die Streurechnung einer ebenen Welle an einer Kopie des Potentials (dort ×1000)."));
    describeControl(eigenButton, QStringLiteral("Eigenfunktionen"),
                    QStringLiteral("Öffnet die gebundenen Zustände einer Kopie des Potentials; Energien in Pixelzeilen, "
                                   "1 = 0.0001 ħ²/(m·Δx²)."));
    describeControl(surface, QStringLiteral("Zeichenfläche"),
                    QStringLiteral("Zeichenfläche: das Potential (weiß) oder das Wellenpaket (Farbe = Phase, Höhe = Betrag); "
                                   "gelb die Energie ⟨E⟩ des Pakets mit dem Band ±ΔE, gepunktet die Messlinie "
                                   "(Strg + linke Maustaste verschiebt sie)."),
                    potUnit);

    fillEvolutionMenu(evolution, startButton);

    setMinimumSize(150, 80);
}

namespace {
// The tempo is the only thing the program remembers between sessions.
const QString TempoKey = QStringLiteral("evolution/tempo");
QSettings settings()
{
    return QSettings(QStringLiteral("Quantaura"), QStringLiteral("Quantaura"));
}
} // namespace

void SchMainWindow::fillEvolutionMenu(QMenu *menu, QPushButton *startButton)
{
    // Start and stop stay on the button; the item follows it both ways. Space acts while the
    // surface has the focus: elsewhere it presses the focused button, as always.
    QAction *start = menu->addAction(QStringLiteral("&Start"));
    start->setCheckable(true);
    start->setShortcut(QKeySequence(Qt::Key_Space));
    start->setShortcutContext(Qt::WidgetShortcut);
    surface->addAction(start);
    connect(start, &QAction::toggled, startButton, &QPushButton::setChecked);
    connect(startButton, &QPushButton::toggled, start, &QAction::setChecked);
    // A step pauses a running evolution first: the step is the one the picture shows.
    QAction *step = menu->addAction(QStringLiteral("&Einzelschritt"), QKeySequence(Qt::Key_Period));
    connect(step, &QAction::triggered, surface, [this, startButton] {
        startButton->setChecked(false);
        surface->singleStep();
    });
    QAction *restart = menu->addAction(QStringLiteral("&Zurück zum Anfang"), QKeySequence(Qt::Key_Home));
    restart->setShortcutContext(Qt::WidgetShortcut); // Home belongs to the sliders elsewhere
    surface->addAction(restart);
    connect(restart, &QAction::triggered, surface, &SchDrawingSurface::restart);

    menu->addSeparator();
    auto *tempi = new QActionGroup(menu);
    const QString names[Pacer::TempoCount] = {QStringLiteral("Sehr langsam"), QStringLiteral("Langsam"),
                                              QStringLiteral("Normal"), QStringLiteral("Schnell"),
                                              QStringLiteral("So schnell wie möglich")};
    bool known = false;
    const int saved = settings().value(TempoKey).toInt(&known);
    PacedTimer *pacing = surface->pacing();
    pacing->setTempo(known ? saved : int(Pacer::Normal)); // out of range: Normal as well
    for (int t = 0; t < Pacer::TempoCount; ++t) {
        QAction *a = menu->addAction(names[t]);
        a->setCheckable(true);
        a->setChecked(t == pacing->tempo());
        tempi->addAction(a);
        connect(a, &QAction::triggered, pacing, [pacing, t] {
            pacing->setTempo(t);
            settings().setValue(TempoKey, t);
        });
    }

    menu->addSeparator();
    QAction *line = menu->addAction(QStringLiteral("&Messlinie auf den höchsten Punkt"));
    connect(line, &QAction::triggered, surface, &SchDrawingSurface::followHighestPoint);

    // Time and measurements of the packet, two lines, as long as there is one.
    auto *status = new QLabel(statusBar());
    status->setObjectName(QStringLiteral("evolutionStatus"));
    status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed); // never widens the window
    status->setFixedHeight(2 * status->fontMetrics().lineSpacing() + 2); // the same with or without a packet
    status->setToolTip(evolutionStatusHelp());
    status->setWhatsThis(evolutionStatusHelp());
    statusBar()->addWidget(status, 1);
    connect(surface, &SchDrawingSurface::statusChanged, status, &QLabel::setText);
}

bool SchMainWindow::potentialModified() const
{
    return !surface->potential()->history()->isClean();
}

void SchMainWindow::news()
{
    // A new, empty potential whatever the drawing mode.
    std::array<double, GridPoints> zero{};
    surface->potential()->replace(zero.data(), QStringLiteral("Neu"));
    surface->potential()->history()->setClean();
}

namespace {
const QString fileFilter = QStringLiteral("Potential files (*.pot)");
}

void SchMainWindow::open()
{
    const QString name = askOpenName(this, QString(), QString(), fileFilter);
    if (name.isEmpty())
        return;
    load(name);
}

void SchMainWindow::openExample(const QString &file)
{
    // Without the folder the name alone would be looked up in the working directory.
    load(examplesDir.isEmpty() ? QString() : QDir(examplesDir).filePath(file));
}

void SchMainWindow::load(const QString &name)
{
    std::array<double, GridPoints> samples{};
    PotentialFile::ReadNotes notes;
    switch (PotentialFile::read(name, samples.data(), &notes)) {
    case PotentialFile::ReadStatus::Ok:
        surface->potential()->replace(samples.data(), QStringLiteral("Öffnen"));
        surface->potential()->history()->setClean();
        // The load rules stay lenient, but what they changed is said for a while.
        if (const QString changed = notes.message(); !changed.isEmpty())
            statusBar()->showMessage(changed, 15000);
        else
            statusBar()->clearMessage();
        break;
    case PotentialFile::ReadStatus::NotFound:
        QMessageBox::warning(this, QStringLiteral("Quantaura"), QStringLiteral("File does not exist !"));
        break;
    case PotentialFile::ReadStatus::CannotOpen:
    case PotentialFile::ReadStatus::BadFormat:
        QMessageBox::warning(this, QStringLiteral("Quantaura"), QStringLiteral("Could not open file !"));
        break;
    case PotentialFile::ReadStatus::TooLarge:
        QMessageBox::warning(this, QStringLiteral("Quantaura"), PotentialFile::tooLargeMessage());
        break;
    }
}

void SchMainWindow::save()
{
    const QString name = askSaveName(this, QString(), QStringLiteral("newPotential.pot"), fileFilter);
    if (name.isEmpty())
        return;
    if (PotentialFile::nameTaken(name)) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Quantaura"),
                        QStringLiteral("File already exists !\nOverwrite ?"), QMessageBox::NoButton, this);
        QPushButton *ok = box.addButton(QStringLiteral("Ok"), QMessageBox::AcceptRole);
        QPushButton *cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() != ok)
            return;
    }
    // Written through a temporary file: on failure the old file is still there.
    bool openFailed = false;
    if (PotentialFile::write(name, surface->getPot(), &openFailed))
        surface->potential()->history()->setClean();
    else
        QMessageBox::warning(this, QStringLiteral("Quantaura"),
                             openFailed ? QStringLiteral("Could not open file !") : QStringLiteral("Could not write file !"));
}

void SchMainWindow::about()
{
    QMessageBox::about(this, QStringLiteral("Quantaura"),
                       QStringLiteral("Quantaura löst die eindimensionale Schrödingergleichung\n"
                                      "und stellt die Wellenfunktionen dar.\n"
                                      "\n"
                                      "Entstanden als Projekt einer Vorlesung an der Universität.\n"
                                      "Betreuung: die Dozenten der Vorlesung\n"
                                      "Fachbereich Physik\n"
                                      "\n"
                                      "Version " QUANTAURA_VERSION));
}

void SchMainWindow::aboutQt()
{
    QMessageBox::aboutQt(this, QStringLiteral("Quantaura"));
}

void SchMainWindow::closeEvent(QCloseEvent *e)
{
    if (potentialModified()) {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Quantaura"),
                        QStringLiteral("Das Potential wurde geändert. Vor dem Beenden speichern?"),
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
        box.button(QMessageBox::Save)->setText(QStringLiteral("&Speichern"));
        box.button(QMessageBox::Discard)->setText(QStringLiteral("&Verwerfen"));
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("&Abbrechen"));
        // A stray Return or Escape keeps the program and the potential.
        box.setDefaultButton(QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        const int answer = box.exec();
        if (answer == QMessageBox::Save)
            save();
        // After "Speichern" only when the save went through: a cancelled dialog or a failed write keep it.
        const bool quit = answer == QMessageBox::Discard || (answer == QMessageBox::Save && !potentialModified());
        if (!quit) {
            e->ignore();
            return;
        }
    }
    // The main window is the program: closing it ends the program even while the
    // eigenfunction or scattering windows are still open.
    QMainWindow::closeEvent(e);
    if (e->isAccepted())
        QCoreApplication::quit();
}
