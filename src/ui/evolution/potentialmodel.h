// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_POTENTIALMODEL_H
#define QUANTAURA_POTENTIALMODEL_H

#include "physics/potentialpen.h"
#include "physics/smoothingfilter.h"

#include <QObject>
#include <QString>

#include <vector>

class QUndoStack;

// The drawn potential: GridPoints samples and their bounded history. Every change is one step
// of the history: a pen stroke from its first point to finishStroke(), Clear, a smoothing and
// every replacement. The history's clean state is whatever its owner last marked clean (the
// potential last opened, saved or begun anew).
class PotentialModel : public QObject
{
    Q_OBJECT
public:
    static constexpr int HistoryLimit = 100;

    explicit PotentialModel(QObject *parent = nullptr);
    ~PotentialModel() override;

    const std::vector<double> &samples() const { return pot; }
    // The live samples, for callers that read or write them in place; such writes are no step
    // of the history and send no changed().
    double *data() { return pot.data(); }
    QUndoStack *history() const { return undoStack; }

    // One point of a pen stroke; the first point opens the stroke.
    void applyPen(PotentialPen::Kind kind, int i, double v, int penRange, int &lastIndex);
    // Closes the open stroke, if any, as one step.
    void finishStroke();
    // Copies GridPoints samples (none if null) under the name `what` in the history.
    void replace(const double *samples, const QString &what);
    void clear();
    // Low-pass smooths grid indices from..to, blended into their surroundings.
    void smooth(int from, int to, double level);

public slots:
    // A stroke still in progress is finished first, so it is one step of its own.
    void undo();
    void redo();

signals:
    // After every change, also one that left the samples as they were.
    void changed();

private:
    void record(const std::vector<double> &before, const QString &what);

    std::vector<double> pot;
    QUndoStack *undoStack;
    std::vector<double> strokeStart; // the samples before the stroke in progress
    bool strokeOpen = false;
    SmoothingFilter smoother;
};

#endif
