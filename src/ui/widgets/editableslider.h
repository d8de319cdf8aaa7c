// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_EDITABLESLIDER_H
#define QUANTAURA_EDITABLESLIDER_H

#include <QWidget>

class QLabel;
class QLineEdit;
class QSlider;

// Caption, slider and integer entry side by side; one signal for every change of the value.
class EditableSlider : public QWidget
{
    Q_OBJECT
public:
    EditableSlider(int minValue, int maxValue, int pageStep, int value, Qt::Orientation orientation,
                   QWidget *parent, const QString &label);

    int value() const { return current; }
    QSlider *slider() const { return sliderWidget; }
    QLineEdit *entry() const { return entryWidget; }
    QLabel *caption() const { return captionWidget; }

    // Names the control for screen readers and gives slider and entry a tooltip and a
    // What's This text (see describeControl).
    void describe(const QString &name, const QString &tip, const QString &more = QString());

public slots:
    // Greys out slider and entry only; the caption stays readable.
    void setEnabled(bool on);

signals:
    void valueChanged(int value);

protected slots:
    void valChanged(int v);
    void valChanged();

private:
    QSlider *sliderWidget;
    QLineEdit *entryWidget;
    QLabel *captionWidget;
    int current;
};

#endif
