#ifndef QUANTAURA_SCHMAINWINDOW_H
#define QUANTAURA_SCHMAINWINDOW_H

#include <QMainWindow>

class EditableSlider;
class QButtonGroup;
class QGroupBox;
class QMenuBar;
class QPushButton;
class SchDrawingSurface;

class SchMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    SchMainWindow();

    SchDrawingSurface *drawingSurface() const { return surface; }
    EditableSlider *penRangeSlider() const { return penRangeS; }
    EditableSlider *smoothSlider() const { return smoothS; }
    EditableSlider *dxSlider() const { return dxS; }
    EditableSlider *pSlider() const { return pS; }
    EditableSlider *dpSlider() const { return dpS; }
    EditableSlider *zSlider() const { return zS; }

public slots:
    void open();
    void save();
    void about();
    void aboutQt();
    void news();

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    QMenuBar *menu;
    QGroupBox *actionGroup;
    QGroupBox *modeGroup;
    QPushButton *clearButton;
    QPushButton *fourierButton;
    QPushButton *potButton;
    QPushButton *packButton;
    QPushButton *streuButton;
    SchDrawingSurface *surface;
    EditableSlider *penRangeS;
    EditableSlider *smoothS;
    EditableSlider *dxS;
    EditableSlider *pS;
    EditableSlider *dpS;
    EditableSlider *zS;
};

#endif
