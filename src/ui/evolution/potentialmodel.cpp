// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/evolution/potentialmodel.h"

#include "physics/grid.h"

#include <QUndoStack>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {
// One step of the history: all samples before and after the change.
class PotentialChange : public QUndoCommand
{
public:
    using Apply = std::function<void(const std::vector<double> &)>;
    PotentialChange(Apply apply, std::vector<double> before, std::vector<double> after, const QString &what)
        : QUndoCommand(what), apply(std::move(apply)), before(std::move(before)), after(std::move(after))
    {
    }
    void undo() override { apply(before); }
    void redo() override
    {
        if (done) // pushed after the change was made: the first redo has nothing to do
            apply(after);
        done = true;
    }

private:
    Apply apply;
    std::vector<double> before;
    std::vector<double> after;
    bool done = false;
};
} // namespace

PotentialModel::PotentialModel(QObject *parent) : QObject(parent), pot(GridPoints, 0.0)
{
    undoStack = new QUndoStack(this);
    undoStack->setUndoLimit(HistoryLimit);
}

PotentialModel::~PotentialModel() = default;

void PotentialModel::applyPen(PotentialPen::Kind kind, int i, double v, int penRange, int &lastIndex)
{
    if (!strokeOpen) {
        strokeStart = pot;
        strokeOpen = true;
    }
    PotentialPen::apply(pot.data(), GridPoints, kind, i, v, penRange, lastIndex);
    emit changed();
}

void PotentialModel::finishStroke()
{
    if (!strokeOpen)
        return;
    strokeOpen = false;
    record(strokeStart, QStringLiteral("Zeichnen"));
}

void PotentialModel::replace(const double *samples, const QString &what)
{
    if (!samples)
        return;
    finishStroke();
    const std::vector<double> before = pot;
    std::copy(samples, samples + GridPoints, pot.begin());
    record(before, what);
    emit changed();
}

void PotentialModel::clear()
{
    finishStroke();
    const std::vector<double> before = pot;
    std::fill(pot.begin(), pot.end(), 0.0);
    record(before, QStringLiteral("Clear"));
    emit changed();
}

void PotentialModel::smooth(int from, int to, double level)
{
    finishStroke();
    const std::vector<double> before = pot;
    smoother.smooth(pot.data(), from, to, level);
    record(before, QStringLiteral("Glätten"));
    emit changed();
}

void PotentialModel::undo()
{
    finishStroke();
    undoStack->undo();
}

void PotentialModel::redo()
{
    finishStroke();
    undoStack->redo();
}

void PotentialModel::record(const std::vector<double> &before, const QString &what)
{
    // Bit for bit: a change that left every sample as it was is no step.
    if (std::memcmp(before.data(), pot.data(), GridPoints * sizeof(double)) == 0)
        return;
    // Copied in place: readers hold pointers into the samples.
    auto apply = [this](const std::vector<double> &samples) {
        std::copy(samples.begin(), samples.end(), pot.begin());
        emit changed();
    };
    undoStack->push(new PotentialChange(apply, before, pot, what));
}
