// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_CONTROLHELP_H
#define QUANTAURA_CONTROLHELP_H

#include <QAction>
#include <QString>
#include <QWhatsThis>
#include <QWidget>

// Help in place for one control: `name` for screen readers; `tip` (what it does) and `more` (its
// unit, a hint) as the tooltip and, under the name, as its What's This text (Shift+F1).
inline void describeControl(QWidget *w, const QString &name, const QString &tip, const QString &more = QString())
{
    w->setAccessibleName(name);
    w->setToolTip(more.isEmpty() ? tip : tip + QLatin1Char('\n') + more);
    QString text = QStringLiteral("<b>") + name.toHtmlEscaped() + QStringLiteral("</b><p>") + tip.toHtmlEscaped();
    if (!more.isEmpty())
        text += QStringLiteral("</p><p>") + more.toHtmlEscaped();
    w->setWhatsThis(text + QStringLiteral("</p>"));
}

// Shift+F1 in `window` asks "what is this?" of the next control clicked.
inline QAction *addWhatsThisKey(QWidget *window)
{
    QAction *a = QWhatsThis::createAction(window);
    a->setText(QStringLiteral("&Was ist das?"));
    window->addAction(a);
    return a;
}

#endif
