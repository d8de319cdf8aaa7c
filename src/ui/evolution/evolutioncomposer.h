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

    // Marks that every picture carries behind the wave and the potential (rows and columns in
    // logical pixels; outside the image: none): a faint band from bandTop to bandBottom, a line
    // on energyRow and a dotted column (every third row from the top). Behind, so that the
    // wave's columns and the potential stay whole.
    struct Overlay
    {
        int energyRow = -1;
        int bandTop = 0;
        int bandBottom = -1;
        int lineColumn = -1;
        bool operator==(const Overlay &o) const
        {
            return energyRow == o.energyRow && bandTop == o.bandTop && bandBottom == o.bandBottom && lineColumn == o.lineColumn;
        }
        bool operator!=(const Overlay &o) const { return !(*this == o); }
    };
    static constexpr QRgb EnergyColour = 0xffffc800; // amber
    static constexpr QRgb BandColour = 0xff302800;
    static constexpr QRgb LineColour = 0xffc8c8c8;

    EvolutionComposer();

    // A new black image of width x height logical pixels at the given device pixel ratio.
    void resize(int width, int height, qreal ratio);
    // Black with the overlay.
    void clear();
    // Shown from the next clear() or frame on. Returns whether it differs from the one before.
    bool setOverlay(const Overlay &overlay);
    const Overlay &overlay() const { return marks; }
    // The curve of the GridPoints samples of A, one pixel wide.
    void drawPotential(const double *A, QRgb colour);
    // One frame: on black (and the overlay), column i shows the value z of its grid index as a line from the
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
    // Rows from..to of a column as clear() leaves them.
    void eraseColumn(uchar *bits, qsizetype stride, int column, int from, int to) const;
    // The overlay's line and dots within rows from..to of a column.
    void markColumn(uchar *bits, qsizetype stride, int column, int from, int to) const;
    void fillRows(uchar *bits, qsizetype stride, int from, int to, QRgb colour) const;
    static bool dotted(int row) { return row % 3 == 0; }

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
    Overlay marks;
};

#endif
