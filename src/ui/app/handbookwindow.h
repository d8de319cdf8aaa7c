// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_HANDBOOKWINDOW_H
#define QUANTAURA_HANDBOOKWINDOW_H

#include <QCoreApplication>
#include <QHash>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QTextBrowser;

// The German handbook, a Markdown file with its pictures beside it, in a window of its own:
// the table of contents and the cross references lead to their sections, Ctrl+F searches.
class HandbookWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HandbookWindow(const QString &file, QWidget *parent = nullptr);

    // The folders where the handbook is looked for: "handbuch" next to the program in the build
    // tree, then the data folder of the prefix the program is installed in
    // (<prefix>/share/quantaura/handbuch, found relative to <prefix>/bin).
    static QStringList folders(const QString &programDir = QCoreApplication::applicationDirPath());
    // The handbook in the first of them that has it; empty when none has.
    static QString file(const QString &programDir = QCoreApplication::applicationDirPath());

    // Shows the handbook window that belongs to `owner` (made on first use, deleted with the
    // owner) and brings it to the front. Without a handbook at `file` a message says where it
    // was looked for, and the result is null.
    static HandbookWindow *showFor(QWidget *owner, const QString &file = HandbookWindow::file());

    QTextBrowser *browser() const { return text; }
    QLineEdit *findField() const { return findEdit; }
    // "nicht gefunden" after a search without a match, else empty.
    QString findNote() const;

public slots:
    // The next place (or the previous one) of the find field's text, starting over at the other
    // end of the handbook once; the selection stays where it was when there is none.
    bool findNext(bool backward = false);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void nameSections();
    void fitPictures();

    QTextBrowser *text;
    QLineEdit *findEdit;
    QLabel *findState;
    QHash<QString, QSize> pictureSizes; // as drawn, by name in the handbook
};

#endif
