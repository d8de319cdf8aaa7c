// SPDX-License-Identifier: GPL-3.0-or-later
// The pens at grid index i, value v, range "<->" (clamped to the grid):
//   tent "V" -> flanks from the feet A[i -+ range] up to v at i;  plateau "-" -> v over the range
//   line "X" -> the first click sets a point; later ones join from the last, whatever the range
#include "physics/potentialpen.h"
#include "coretestutil.h"

namespace {
struct Stroke
{
    PotentialPen::Kind kind;
    int i;
    double v;
    int range, last;
    std::vector<std::pair<int, double>> want; // samples afterwards
};

TEST(PotentialPen, TentsPlateausAndLinesAgainstTheirClosedForms)
{
    using P = PotentialPen;
    const std::vector<Stroke> tents{{P::Tent, 10, 1.0, 50, -1, {{0, 0.2}, {5, 0.6}, {10, 1.0}, {35, 0.5}, {60, 0.0}}},
                                    {P::Tent, 1020, 0.6, 50, -1, {{969, 0.0}, {995, 0.3}, {1021, 0.3}, {1023, -0.3}}},
                                    {P::Tent, 2000, 0.9, 10, -1, {{1013, 0.516}, {1018, 0.708}, {1023, 0.9}}}};
    const std::vector<Stroke> plateaus{{P::Plateau, 500, 0.25, 30, -1, {{469, 0.0}, {470, 0.25}, {530, 0.25}, {531, 0.0}}},
                                       {P::Plateau, 3, -0.5, 30, -1, {{0, -0.5}, {33, -0.5}, {34, 0.0}, {470, 0.25}}},
                                       {P::Plateau, -7, 0.75, 2, -1, {{0, 0.75}, {2, 0.75}, {3, -0.5}}}};
    const std::vector<Stroke> lines{{P::Line, 100, 1.0, 5, -1, {{99, 0.0}, {100, 1.0}, {101, 0.0}}},
                                    {P::Line, 200, 3.0, 5, 100, {{100, 1.0}, {150, 2.0}, {200, 3.0}, {201, 0.0}}},
                                    {P::Line, 0, -1.0, 5, 200, {{200, 3.0}, {100, 1.0}, {50, 0.0}, {0, -1.0}}},
                                    {P::Line, 1013, 2.0, 5, 5000, {{1012, 0.0}, {1013, 2.0}, {1018, 0.85}, {1023, -0.3}}}};
    for (const std::vector<Stroke> &strokes : {tents, plateaus, lines}) {
        std::vector<double> A(1024, 0.0);
        A[0] = 0.2, A[1023] = -0.3;
        for (const Stroke &s : strokes) {
            int last = s.last;
            PotentialPen::apply(A.data(), 1024, s.kind, s.i, s.v, s.range, last);
            EXPECT_EQ(last, s.kind == P::Line && s.last < 0 ? s.i : s.last) << s.kind << " at " << s.i << ": previous point";
            for (const auto &[j, want] : s.want)
                EXPECT_NEAR(A[j], want, 1e-15) << s.kind << " at " << s.i << ": " << j;
        }
    }
}
} // namespace
