// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/widgets/editableslider.h"

#include "ui/widgets/controlhelp.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

EditableSlider::EditableSlider(int minValue, int maxValue, int pageStep, int value,
                               Qt::Orientation orientation, QWidget *parent, const QString &label)
    : QWidget(parent)
{
    auto *box = new QHBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);

    captionWidget = new QLabel(label, this);
    box->addWidget(captionWidget);

    sliderWidget = new QSlider(orientation, this);
    sliderWidget->setRange(minValue, maxValue); // before setValue: QSlider clamps at once
    sliderWidget->setPageStep(pageStep);
    sliderWidget->setValue(value);
    sliderWidget->setMinimumWidth(50);
    box->addWidget(sliderWidget);

    entryWidget = new QLineEdit(this);
    entryWidget->setMaximumWidth(60);
    box->addWidget(entryWidget);

    current = value;
    entryWidget->setText(QString::number(current));
    setFixedHeight(40);

    connect(sliderWidget, &QSlider::valueChanged, this, qOverload<int>(&EditableSlider::valChanged));
    connect(entryWidget, &QLineEdit::returnPressed, this, qOverload<>(&EditableSlider::valChanged));
}

void EditableSlider::describe(const QString &name, const QString &tip, const QString &more)
{
    describeControl(this, name, tip, more);
    describeControl(sliderWidget, name, tip, more);
    describeControl(entryWidget, name + QStringLiteral(" (Eingabe)"),
                    tip + QStringLiteral(" Zahl eintippen und mit Eingabetaste übernehmen."), more);
}

void EditableSlider::setEnabled(bool on)
{
    sliderWidget->setEnabled(on);
    entryWidget->setEnabled(on);
}

void EditableSlider::valChanged(int v)
{
    if (v == current)
        return;
    current = v;
    entryWidget->setText(QString::number(v));
    emit valueChanged(v);
}

void EditableSlider::valChanged()
{
    // Anything that is not a plain decimal integer counts as 0.
    const int typed = entryWidget->text().toInt(nullptr, 10);
    if (typed == current)
        return;
    sliderWidget->setValue(typed); // clamps; a real move reports through valChanged(int) at once
    current = sliderWidget->value();
    entryWidget->setText(QString::number(current));
    emit valueChanged(current);
}
