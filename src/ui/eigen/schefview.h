// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_SCHEFVIEW_H
#define QUANTAURA_SCHEFVIEW_H

#include "physics/eigensolver.h"

#include <QImage>
#include <QWidget>

#include <iostream>
#include <memory>
#include <vector>

class QComboBox;
class QLineEdit;
class QPainter;
class QSlider;

// Top-level window "Schroedinger Eigenfunktionen": the potential (green) and the bound states,
// each eigenfunction drawn about the level line of its own eigenvalue. Everything is computed
// once, from a copy of the potential taken at construction; later edits do not reach it.
// Everything is drawn into a backing image that paintEvent copies.
// One unit on the energy axis is one pixel row of the drawing surface (potential x 10000).
class SchEFView : public QWidget
{
    Q_OBJECT
public:
    // The search reports each eigenvalue to `trace` (an empty one: nowhere).
    SchEFView(const double *surfacePot, QWidget *parent, const EigenSolver::Trace &trace);
    // ... or writes it as a line "EW=<value> det=<value>" to `trace`.
    explicit SchEFView(const double *surfacePot, QWidget *parent = nullptr, std::ostream &trace = std::cout);
    ~SchEFView() override;

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

private slots:
    void refreshEigen(int i);
    void eigenChange(int k);
    void eigenTextChange(const QString &s);
    void dispEWerte(bool on);

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void computeRanges();
    void drawLevels(QPainter &p);
    void drawFrame(QPainter &p);
    void drawCurve(QPainter &p, int k);
    void redraw();
    void compose();

    std::vector<double> pot;         // surface potential x 10000
    std::vector<double> curves;      // eigenCount rows of 1024: eigenvalue + eigenfunction
    std::vector<double> eigenValues; // ascending
    std::unique_ptr<EigenSolver> solver;
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
