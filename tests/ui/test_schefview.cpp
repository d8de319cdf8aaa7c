// SPDX-License-Identifier: GPL-3.0-or-later
// The eigenfunction window (control or input -> what must happen):
//   open            "Schrödinger Eigenfunktionen", 800 x 600; state 0, its level, energy; axis ends; zero line if inside
//   slider, number  one state; past the last: the last; empty: 0; each state of the evolution's particle lobe up first
//   "1" .. "all"    the lowest that many states, each in its colour, without energies; Display Eigenwerte: dotted levels
//   particle box    off ("Teilchen mit ¼ Masse"); on: the evolution's states, view kept, marks cleared
//   left click      within 4 pixels of a level: marks it (a close pair in turn, then neither); amber, 2 pixels
//   In die Zeitentwicklung   greyed until marked; one state as it is, several as the dialog weighs them
//   Überlagerung    weights 0 to 10, phases -180° to 180° against the first; OK only while a weight is above 0
#include "ui/eigen/schefview.h"
#include "ui/eigen/superpositiondialog.h"
#include "uitestutil.h"

#include <QtTest>
#include <QtWidgets>

#include <complex>
#include <numeric>

const QRgb White = 0xffffff, Green = 0x00ff00, Gray = 0xa0a0a4, Amber = 0xffc800;
const QRect Plot(56, 56, 728, 528); // inside the frame, which covers columns 55..784 and rows 55..584
int count(SchEFView &v, QRect area, QRgb colour)
{
    const QImage img = v.grab().toImage();
    int n = 0;
    for (int i = 0; i < area.width() * area.height(); ++i)
        n += (img.pixel(area.x() + i % area.width(), area.y() + i / area.width()) & 0xffffff) == colour;
    return n;
}
// The eigenfunctions drawn, told by their colours (255 - q, 100, q) with q = 255 k / count.
QList<int> drawn(SchEFView &v)
{
    const QImage img = v.grab().toImage().copy(Plot);
    const QSet<QRgb> seen(reinterpret_cast<const QRgb *>(img.constBits()), reinterpret_cast<const QRgb *>(img.constBits()) + img.width() * img.height());
    QList<int> ks;
    for (int k = 0, n = v.eigenTotal(); k < n; ++k)
        if (seen.contains(qRgb(255 - 255 * k / n, 100, 255 * k / n)))
            ks << k;
    return ks;
}
int row(SchEFView &v, double e) { return 55 + int(v.height() - 70 - (e - v.energyMin()) * (v.height() - 70) / (v.energyMax() - v.energyMin())); }
// The strip left of the plot, below the controls, holds exactly these white texts (at their baselines).
bool margin(SchEFView &v, const std::vector<std::pair<QString, QPoint>> &texts)
{
    QImage ref(v.size(), QImage::Format_RGB32);
    ref.fill(Qt::black);
    QPainter p(&ref);
    p.setFont(v.font());
    p.setPen(Qt::white);
    for (const auto &t : texts)
        p.drawText(t.second, t.first);
    p.end();
    const QRect strip(0, 32, 54, v.height() - 32);
    return v.grab().toImage().convertToFormat(QImage::Format_RGB32).copy(strip) == ref.copy(strip);
}
void click(SchEFView &v, int x, int y, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseClick(&v, b, Qt::NoModifier, QPoint(x, y)); }

class TestSchEFView : public QObject
{
    Q_OBJECT
private slots:
    void zeroPotentialLabelsAndControls()
    {
        std::vector<double> surface(1024, 0.0);
        QList<double> traced; // the search's report per eigenvalue, handed through
        SchEFView v(surface.data(), nullptr, [&traced](double e, double) { traced << e; });
        auto *ed = v.findChild<QLineEdit *>();
        QCOMPARE(v.windowTitle(), QString("Schrödinger Eigenfunktionen"));
        QCOMPARE(QList<QVariant>({v.isWindow(), v.size(), v.eigenTotal()}), QList<QVariant>({true, QSize(800, 600), 2}));
        QCOMPARE(traced, QList<double>({v.eigenValueAt(0), v.eigenValueAt(1)}));
        QCOMPARE(ed->text(), QString("0"));
        const int y0 = row(v, 0.0), yE0 = row(v, v.eigenValueAt(0));
        const QRect level1(56, row(v, v.eigenValueAt(1)), 729, 1);
        QVERIFY(margin(v, {{"28.69", {2, 58}}, {"-27.19", {2, 582}}, {"0", {40, y0 + 3}}, {"0.19", {2, yE0 + 3}}}));
        for (QPoint corner : {QPoint(55, 55), QPoint(784, 55), QPoint(55, 584), QPoint(784, 584)}) { // the frame
            QVERIFY2(count(v, QRect(corner, QSize(1, 1)), White), qPrintable(QString("corner %1, %2").arg(corner.x()).arg(corner.y())));
            QVERIFY2(!count(v, QRect(corner + QPoint(1, 1), QSize(1, 1)), White), qPrintable(QString("inside %1, %2").arg(corner.x()).arg(corner.y())));
        }
        QVERIFY2(count(v, QRect(56, y0, 729, 1), Green) > 700, "the potential on the zero line");
        QVERIFY2(count(v, QRect(56, yE0, 729, 1), Gray) > 600, "the level line of state 0");
        QCOMPARE(drawn(v), QList<int>{0});
        QCOMPARE(count(v, level1, Gray), 0);
        for (const auto &[typed, k] : {std::pair{"5", 1}, {"", 0}}) { // beyond the last index: the last; empty: 0
            ed->setText(typed);
            QCOMPARE(QList<QVariant>({v.selectedIndex(), ed->text(), QVariant::fromValue(drawn(v))}),
                     QList<QVariant>({k, QString::number(k), QVariant::fromValue(QList<int>{k})}));
        }
        v.findChild<QPushButton *>("d")->click(); // "Display Eigenwerte": dotted lines at every level
        QVERIFY(v.levelsShown());
        QVERIFY2(count(v, level1, Gray) > 100, "dotted, not missing");
        QVERIFY2(count(v, level1, Gray) < 729 / 2, "dotted, not dashed or solid");
        v.findChild<QPushButton *>("d")->click();
        emit v.findChild<QComboBox *>()->activated(1); // "3" with two eigenvalues draws two, without their labels
        QCOMPARE(QList<bool>({v.isSingleMode(), v.levelsShown()}), QList<bool>({false, false}));
        QCOMPARE(drawn(v), QList<int>({0, 1}));
        QVERIFY(margin(v, {{"28.69", {2, 58}}, {"-27.19", {2, 582}}, {"0", {40, y0 + 3}}}));
        ed->setText("00"); // a number typed is one state again, even the one the slider stands on
        QVERIFY(v.isSingleMode());
        QCOMPARE(drawn(v), QList<int>{0});
    }

    void countChoiceDrawsThatManyCurves()
    {
        // A box with low walls: "3", "5", "10", "all" draw the lowest that many, in their colours.
        std::vector<double> surface(1024, 0.0);
        std::fill(surface.begin(), surface.begin() + 10, 0.005);
        std::fill(surface.end() - 10, surface.end(), 0.005);
        SchEFView v(surface.data(), nullptr, EigenSolver::Trace());
        const int all = v.eigenTotal();
        for (const auto &[key, n] : {std::pair{Qt::Key_Down, 3}, {Qt::Key_Down, 5}, {Qt::Key_Down, 10}, {Qt::Key_Down, all}, {Qt::Key_Home, 1}}) {
            QTest::keyClick(v.findChild<QComboBox *>(), key);
            QList<int> want(n);
            std::iota(want.begin(), want.end(), 0);
            QCOMPARE(drawn(v), want);
        }
    }

    void checkBoxSwitchesToTheEvolutionsParticle()
    {
        // The empty box: the window's particle has two states, the evolution's 10000 (1 - cos(pi k / 1025)), k = 1..4.
        std::vector<double> surface(1024, 0.0);
        SchEFView v(surface.data(), nullptr, EigenSolver::Trace());
        v.show();
        auto *box = v.findChild<QCheckBox *>("particle");
        auto *label = v.findChild<QLabel *>("particleLabel");
        auto *transfer = find<QPushButton>(v, "In die Zeitentwicklung");
        QCOMPARE(box->text() + " | " + label->text(), QString("Teilchen wie in der Zeitentwicklung | Teilchen mit ¼ Masse"));
        QCOMPARE(QList<bool>({box->isChecked(), transfer->isEnabled()}), QList<bool>({false, false}));
        QVERIFY2(box->geometry().top() >= 30 && box->geometry().bottom() < 55, "below the controls, above the plot");
        const QImage before = v.grab().toImage();
        box->click();
        QCOMPARE(QList<bool>({v.evolutionParticle(), transfer->isEnabled()}), QList<bool>({true, false})); // nothing marked yet
        QCOMPARE(v.eigenTotal(), 4);
        for (int k = 1; k <= 4; ++k)
            QVERIFY2(std::fabs(v.eigenValueAt(k - 1) - 10000 * (1 - std::cos(M_PI * k / 1025))) < 1e-9, qPrintable(QString::number(k)));
        QCOMPARE(v.findChild<QSlider *>("Eigen")->maximum(), 3);
        QCOMPARE(label->text(), QString("Masse 1 · Niveau anklicken"));
        QVERIFY(screenCurrent(&v, Plot));
        QVERIFY(margin(v, {{"28.69", {2, 58}}, {"-27.75", {2, 582}}, {"0", {40, row(v, 0.0) + 3}}, {"0.05", {2, row(v, v.eigenValueAt(0)) + 3}}}));
        // Back: the window as it was, with the view chosen kept; "all" stays all.
        v.findChild<QSlider *>("Eigen")->setValue(3);
        box->click();
        QCOMPARE(QList<int>({v.eigenTotal(), v.selectedIndex(), v.isSingleMode()}), QList<int>({2, 1, true}));
        v.findChild<QSlider *>("Eigen")->setValue(0);
        QCOMPARE(v.grab().toImage(), before);
        QTest::keyClick(v.findChild<QComboBox *>(), Qt::Key_End);
        box->click();
        QCOMPARE(drawn(v), QList<int>({0, 1, 2, 3}));
    }

    void marksOnLevelLinesGoIntoTheEvolution()
    {
        // Wells 0.02 deep and 100 points wide either side of a wall 8 points wide, 0.004 high.
        std::vector<double> surface(1024, 0.0);
        for (int j = 0; j < 1024; ++j)
            surface[j] = std::fabs(j - 511.5) < 4 ? 0.004 : (std::fabs(j - 511.5) < 104 ? -0.02 : 0.0);
        SchEFView v(surface.data(), nullptr, EigenSolver::Trace());
        v.show();
        QList<std::vector<std::complex<double>>> handed;
        connect(&v, &SchEFView::superpositionChosen, [&handed](const std::vector<std::complex<double>> &w) { handed << w; });
        int asked = 0;
        v.askParts = [&asked](QWidget *, std::vector<StationaryStates::Part> &parts, const std::vector<double> &energies) {
            ++asked;
            if (parts.size() != 2 || energies.size() != 2)
                return false;
            parts[1].weight = 2.0, parts[1].phase = M_PI / 2; // psi_0 + 2i psi_1
            return true;
        };
        auto *transfer = find<QPushButton>(v, "In die Zeitentwicklung");
        auto *label = v.findChild<QLabel *>("particleLabel");
        const int x = 400;
        click(v, x, row(v, v.eigenValueAt(0))); // the window's own particle: no marks
        QVERIFY(v.markedStates().empty());
        v.findChild<QCheckBox *>("particle")->click();
        const int line = row(v, v.eigenValueAt(0));
        QVERIFY2(std::abs(row(v, v.eigenValueAt(1)) - line) <= 1, "the lowest pair shares its line (within a row)");
        click(v, x, line - 20); // beside every line shown, or another button: nothing
        click(v, x, line, Qt::RightButton);
        QVERIFY(v.markedStates().empty());
        click(v, x, line + 3); // the pair, one after the other, then neither
        QCOMPARE(v.markedStates(), std::vector<int>({0}));
        QVERIFY(transfer->isEnabled());
        QCOMPARE(count(v, QRect(56, line, 728, 1), Amber), 728);
        QVERIFY2(count(v, QRect(56, line - 1, 728, 3), Amber) == 2 * 728, "2 pixels thick");
        QVERIFY(screenCurrent(&v, Plot));
        click(v, x, line - 3);
        QCOMPARE(v.markedStates(), std::vector<int>({0, 1}));
        QCOMPARE(label->text(), QString("Masse 1 · markiert: 0, 1"));
        emit v.findChild<QComboBox *>()->activated(0); // marked states show in any view
        QCOMPARE(drawn(v), QList<int>({0, 1}));
        click(v, x, line);
        QVERIFY(v.markedStates().empty());
        QCOMPARE(count(v, QRect(56, line, 728, 1), Amber), 0);
        // One state: itself, without asking. Two: as the dialog says.
        click(v, x, line);
        transfer->click();
        QCOMPARE(asked, 0);
        QCOMPARE(handed.size(), 1);
        const std::vector<double> s0 = v.eigenFunctionAt(0), s1 = v.eigenFunctionAt(1); // the window's curves, norm 400000
        const auto distance = [&](const std::vector<std::complex<double>> &a, std::complex<double> c1) { // from psi_0 + c1 psi_1
            double d = a.size() == 1024 ? 0.0 : 1.0;
            for (std::size_t j = 0; j < a.size() && j < 1024; ++j)
                d = std::max(d, std::abs(a[j] - (s0[j] + c1 * s1[j]) / std::sqrt(400000.0 * (1.0 + std::norm(c1)))));
            return d;
        };
        QVERIFY(distance(handed[0], 0.0) < 1e-12);
        click(v, x, line);
        transfer->click();
        QCOMPARE(asked, 1);
        QCOMPARE(handed.size(), 2);
        QVERIFY(distance(handed[1], {0.0, 2.0}) < 1e-12);
        v.askParts = [&asked](QWidget *, std::vector<StationaryStates::Part> &, const std::vector<double> &) { return ++asked, false; };
        transfer->click(); // cancelled: nothing
        QCOMPARE(handed.size(), 2);
        v.findChild<QCheckBox *>("particle")->click(); // another particle: the marks go
        QCOMPARE(QList<bool>({v.markedStates().empty(), transfer->isEnabled()}), QList<bool>({true, false}));
    }

    void superpositionDialogAsksForWeightsAndRelativePhases()
    {
        SuperpositionDialog d({{0, 1.0, 0.0}, {3, 1.0, 0.0}}, {-196.04, -150.5});
        QCOMPARE(d.windowTitle(), QString("Überlagerung"));
        const QList<QDoubleSpinBox *> weights = d.findChildren<QDoubleSpinBox *>();
        const QList<QSpinBox *> phases = d.findChildren<QSpinBox *>(Qt::FindDirectChildrenOnly);
        QCOMPARE(QList<int>({int(weights.size()), int(phases.size())}), QList<int>({2, 1})); // the first is the reference
        QVERIFY2(find<QLabel>(d, "3 (E = -150.50)"), "each state with its energy");
        for (QAbstractSpinBox *b : d.findChildren<QAbstractSpinBox *>()) { // each explains itself
            QVERIFY2(b->accessibleName().contains("Zustand"), qPrintable(b->accessibleName()));
            QVERIFY2(!b->whatsThis().isEmpty(), qPrintable(b->accessibleName()));
        }
        QDialogButtonBox *buttons = d.findChild<QDialogButtonBox *>();
        QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QString("Abbrechen"));
        QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
        QVERIFY(ok->isEnabled());
        weights[0]->setValue(0.25);
        weights[1]->setValue(7.5);
        phases[0]->setValue(-90);
        std::vector<StationaryStates::Part> parts = d.parts();
        QCOMPARE(parts.size(), 2u);
        QCOMPARE(QList<double>({double(parts[1].index), parts[0].weight, parts[1].weight, parts[0].phase}),
                 QList<double>({3, 0.25, 7.5, 0}));
        QVERIFY(std::fabs(parts[1].phase + M_PI / 2) < 1e-15);
        phases[0]->setValue(180);
        QVERIFY(std::fabs(d.parts()[1].phase - M_PI) < 1e-15);
        weights[0]->setValue(0.0);
        weights[1]->setValue(0.0);
        QVERIFY2(!ok->isEnabled(), "nothing to superpose");
    }
};
QTEST_MAIN(TestSchEFView)
#include "test_schefview.moc"
