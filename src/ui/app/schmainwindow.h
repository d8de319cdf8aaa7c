// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_SCHMAINWINDOW_H
#define QUANTAURA_SCHMAINWINDOW_H

#include <QFileDialog>
#include <QMainWindow>
#include <QString>

#include <functional>

class EditableSlider;
class QButtonGroup;
class QGroupBox;
class QMenu;
class QMenuBar;
class QPushButton;
class SchDrawingSurface;
class SideWindows;

class SchMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    SchMainWindow();

    SchDrawingSurface *drawingSurface() const { return surface; }
    // The eigenfunction and scattering windows that the surface's buttons open.
    SideWindows *sideWindows() const { return sides; }
    EditableSlider *penRangeSlider() const { return penRangeS; }
    EditableSlider *smoothSlider() const { return smoothS; }
    EditableSlider *dxSlider() const { return dxS; }
    EditableSlider *pSlider() const { return pS; }
    EditableSlider *dpSlider() const { return dpS; }
    EditableSlider *zSlider() const { return zS; }
    // The potential differs from the one last opened, saved or begun with New.
    bool potentialModified() const;

    // The file dialogs of open() and save(), replaceable so that tests never open one.
    // Arguments: parent, caption, preset name or directory, filter.
    using AskFileName = std::function<QString(QWidget *, const QString &, const QString &, const QString &)>;
    AskFileName askSaveName = [](QWidget *parent, const QString &caption, const QString &dir, const QString &filter) {
        // save() asks its own overwrite question.
        return QFileDialog::getSaveFileName(parent, caption, dir, filter, nullptr, QFileDialog::DontConfirmOverwrite);
    };
    AskFileName askOpenName = [](QWidget *parent, const QString &caption, const QString &dir, const QString &filter) {
        return QFileDialog::getOpenFileName(parent, caption, dir, filter);
    };

    // Where File -> Beispiele reads its files; replaceable for tests.
    QString examplesDir;
    // Loads one of them by file name, exactly as open() loads a chosen file.
    void openExample(const QString &file);

public slots:
    void open();
    void save();
    void about();
    void aboutQt();
    void news();

protected:
    // Asks before a changed potential is discarded.
    void closeEvent(QCloseEvent *e) override;

private:
    void load(const QString &name);
    // The menu "Zeitentwicklung": start and stop (mirroring the button), single step, restart,
    // the tempo (remembered between sessions) and the measuring line.
    void fillEvolutionMenu(QMenu *menu, QPushButton *startButton);

    QMenuBar *menu;
    QGroupBox *actionGroup;
    QGroupBox *modeGroup;
    QPushButton *clearButton;
    QPushButton *fourierButton;
    QPushButton *potButton;
    QPushButton *packButton;
    QPushButton *streuButton;
    SchDrawingSurface *surface;
    SideWindows *sides;
    EditableSlider *penRangeS;
    EditableSlider *smoothS;
    EditableSlider *dxS;
    EditableSlider *pS;
    EditableSlider *dpS;
    EditableSlider *zS;
};

#endif
