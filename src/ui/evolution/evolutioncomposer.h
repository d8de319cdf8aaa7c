// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_EVOLUTIONCOMPOSER_H
#define QUANTAURA_EVOLUTIONCOMPOSER_H

#include <QImage>
#include <QRect>

#include <complex>
#include <vector>

// The picture of the drawing surface: a black image, at the screen's device pixel ratio but
// drawn on in logical pixels, with the potential curve, the frames of the wave function and the
// rubber band of the smoothing tool on it. Column i shows grid index (i * GridPoints) div width;
// potential value v lies on row midRow() - v / RowValue.
class EvolutionComposer
{
public:
    // Potential units per pixel row.
    static constexpr double RowValue = 0.0001;

    EvolutionComposer();

    // A new black image of width x height logical pixels at the given device pixel ratio.
    void resize(int width, int height, qreal ratio);
    void clear();
    // The curve of the GridPoints samples of A, one pixel wide.
    void drawPotential(const double *A, QRgb colour);
    // One frame: on black, column i shows the value z of its grid index as a line from the
    // potential's row (the middle row without V) up by (height / 2) |z| rows, in the phase colour
    // of z. Returns the area that changed, in logical pixels: the whole image when it held more
    // than the last frame, nothing when the frame equals it.
    QRect compose(const std::complex<double> *wave, const double *V);
    // The outline of `rect` (corners in either order) XOR-ed into the image: drawing the same
    // rectangle twice restores the picture.
    void xorRectangle(const QRect &rect);

    const QImage &image() const { return view; }
    int width() const { return viewWidth; }
    int height() const { return viewHeight; }
    int midRow() const { return midLine; }
    int rowOf(double v) const;

private:
    // One column of the last frame: rows top..bottom (none if top > bottom) in colour.
    struct Span
    {
        int top = 0;
        int bottom = -1;
        QRgb colour = 0;
    };
    void fillColumn(uchar *bits, qsizetype stride, int column, int from, int to, QRgb colour) const;

    int viewWidth = 0;
    int viewHeight = 0;
    int midLine = 0;
    QImage view;
    // The grid index each column shows, the device pixel edges of the columns and rows, what each
    // column of the last frame drew, and whether the image holds nothing but that frame on black
    // (else the next frame starts from black).
    std::vector<int> columnGrid;
    std::vector<int> deviceX;
    std::vector<int> deviceY;
    std::vector<Span> shown;
    std::vector<Span> next;
    bool frameOnly = false;
};

#endif
