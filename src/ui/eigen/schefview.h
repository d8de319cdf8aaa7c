// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_SCHEFVIEW_H
#define QUANTAURA_SCHEFVIEW_H

#include "physics/eigensolver.h"
#include "physics/stationarystates.h"

#include <QImage>
#include <QWidget>

#include <complex>
#include <functional>
#include <iostream>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class QSlider;

// Top-level window "Schroedinger Eigenfunktionen": the potential (green) and the bound states,
// each eigenfunction drawn about the level line of its own eigenvalue. Everything is computed
// once, from a copy of the potential taken at construction; later edits do not reach it.
// Everything is drawn into a backing image that paintEvent copies.
// One unit on the energy axis is one pixel row of the drawing surface (potential x 10000).
//
// Below the controls, "Teilchen wie in der Zeitentwicklung" (off at first) shows instead the states
// of the time evolution's own particle (mass 1, a quarter of the kinetic energy), in the same units.
// Then a click on a level line marks its state (see mousePressEvent), and "In die Zeitentwicklung"
// hands the normalised superposition of the marked states to whoever listens
// (superpositionChosen), asking for weights and phases where more than one is marked.
class SchEFView : public QWidget
{
    Q_OBJECT
public:
    // The search reports each eigenvalue to `trace` (an empty one: nowhere).
    SchEFView(const double *surfacePot, QWidget *parent, const EigenSolver::Trace &trace);
    // ... or writes it as a line "EW=<value> det=<value>" to `trace` (for the evolution's particle
    // followed by " (Teilchen wie in der Zeitentwicklung)").
    explicit SchEFView(const double *surfacePot, QWidget *parent = nullptr, std::ostream &trace = std::cout);
    ~SchEFView() override;

    // Asks for the weights and phases of the parts (their energies in the window's units beside
    // them); false: nothing is handed on. Replaceable, so that tests never open the dialog.
    using AskParts = std::function<bool(QWidget *, std::vector<StationaryStates::Part> &, const std::vector<double> &)>;
    AskParts askParts;

    // The states shown are the time evolution's particle's, and the ones marked (ascending).
    bool evolutionParticle() const { return evolution; }
    const std::vector<int> &markedStates() const { return marks; }

    // Read-only views for tests.
    int eigenTotal() const { return eigenCount; }
    int selectedIndex() const { return selected; }
    int shownCurves() const { return shownCount; }
    bool isSingleMode() const { return singleMode; }
    bool levelsShown() const { return showLevels; }
    double energyMin() const { return eMin; }
    double energyMax() const { return eMax; }
    double eigenValueAt(int k) const;
    // Eigenfunction k as the window draws it about its level (1024 samples), and the window's
    // potential (surface potential x 10000): the numbers behind the picture, for export.
    std::vector<double> eigenFunctionAt(int k) const;
    const std::vector<double> &potential() const { return pot; }
    // Pixel row of energy v and pixel column of grid index j at the current size.
    int rowOf(double v) const;
    int columnOf(int j) const;

signals:
    // The normalised superposition of the marked states (GridPoints values, sum |psi|^2 = 1), to
    // become the evolution's wave function.
    void superpositionChosen(const std::vector<std::complex<double>> &wave);

private slots:
    void refreshEigen(int i);
    void eigenChange(int k);
    void eigenTextChange(const QString &s);
    void dispEWerte(bool on);
    void particleChanged(bool evolutionsParticle);
    void putIntoEvolution();

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    // With the evolution's particle: a left click within a few pixels of a level line shown marks
    // its state. Where several levels share the line (a close pair), each click marks the next one
    // of them; once all are marked, a click there takes the marks away.
    void mousePressEvent(QMouseEvent *e) override;

private:
    SchEFView(const double *surfacePot, QWidget *parent, const EigenSolver::Trace &trace, std::ostream *lines);
    // Eigenvalues and curves of the particle chosen now.
    void compute();
    int countFor(int comboIndex) const;
    bool levelShown(int k) const;
    void updateMarks();
    void computeRanges();
    void drawLevels(QPainter &p);
    void drawFrame(QPainter &p);
    // `label`: in single mode with its eigenvalue on the left (the state chosen, not one only marked).
    void drawCurve(QPainter &p, int k, bool label = true);
    void redraw();
    void compose();

    std::vector<double> pot;         // surface potential x 10000
    std::vector<double> surfacePot;  // as given, for the evolution's particle
    std::vector<double> curves;      // eigenCount rows of 1024: eigenvalue + eigenfunction
    std::vector<double> eigenValues; // ascending
    std::unique_ptr<EigenSolver> solver;           // the window's particle
    std::unique_ptr<StationaryStates> stationary;  // or the evolution's
    EigenSolver::Trace trace;
    std::ostream *traceStream = nullptr;
    bool evolution = false;
    std::vector<int> marks;
    QCheckBox *particleBox = nullptr;
    QPushButton *transferButton = nullptr;
    QLabel *particleLabel = nullptr;
    QComboBox *countBox = nullptr;
    int shownCount = 1;
    int selected = 0;
    bool singleMode = true;
    bool showLevels = false;
    int eigenCount = 0;
    QSlider *slider = nullptr;
    QLineEdit *edit = nullptr;
    double xMin = 0.0;
    double xMax = 1023.0;
    double eMin = 0.0;
    double eMax = 0.0;
    double xRange = 1023.0;
    double eRange = 0.0;
    QImage view; // the picture, at the device pixel ratio; paintEvent copies it
    bool viewDirty = true;
};

#endif
