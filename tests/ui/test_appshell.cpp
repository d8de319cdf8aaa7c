// SPDX-License-Identifier: GPL-3.0-or-later
// The program's shell around the three windows: the handbook window, the question before a
// changed potential is lost, the file reader's limits, and where the side windows open.
#include "physics/grid.h"
#include "ui/app/handbookwindow.h"
#include "ui/app/potentialfile.h"
#include "ui/app/schmainwindow.h"
#include "ui/evolution/schdrawingsurface.h"
#include "ui/widgets/windowplacement.h"
#include "uitestutil.h"

#include <QtTest>
#include <QtWidgets>

#include <vector>

namespace {
constexpr int N = GridPoints;

QAction *action(QWidget &w, const QString &text)
{
    for (QMenu *m : w.findChildren<QMenu *>())
        for (QAction *a : m->actions())
            if (a->text() == text)
                return a;
    return nullptr;
}

bool putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// "title: text [buttons]" of the message box `w`, the buttons sorted; the button `click` (by its text) is clicked.
QString answer(QWidget *w, const QString &click)
{
    auto *box = qobject_cast<QMessageBox *>(w);
    if (!box)
        return "no message box";
    QStringList labels;
    QAbstractButton *target = nullptr;
    for (QAbstractButton *b : box->buttons()) {
        labels << b->text();
        if (b->text() == click)
            target = b;
    }
    labels.sort(); // in the order of the platform's button layout
    const QString seen = box->windowTitle() + ": " + box->text() + " [" + labels.join('/') + "]";
    if (target)
        target->click();
    else
        box->reject();
    return seen;
}

// The reader's verdict on `bytes`, with its samples and notes.
PotentialFile::ReadStatus readBytes(QByteArray bytes, std::vector<double> &pot, QString *note = nullptr)
{
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    pot.assign(N, -1.0);
    PotentialFile::ReadNotes notes;
    const PotentialFile::ReadStatus s = PotentialFile::read(in, pot.data(), &notes);
    if (note)
        *note = notes.message();
    return s;
}
} // namespace

class TestAppShell : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void handbookIsFoundBesideTheProgramOrUnderItsPrefix()
    {
        const QString built = QString(PROGRAM_DIR) + "/handbuch/handbuch.md";
        QCOMPARE(HandbookWindow::file(PROGRAM_DIR), built);
        QCOMPARE(fileBytes(built), fileBytes(HANDBOOK_SOURCE)); // the build tree has the current text
        // An installed program looks in <prefix>/share/quantaura/handbuch.
        const QString prefix = dir.filePath("prefix");
        QVERIFY(QDir().mkpath(prefix + "/bin") && QDir().mkpath(prefix + "/share/quantaura/handbuch"));
        QCOMPARE(HandbookWindow::file(prefix + "/bin"), QString());
        QVERIFY(putFile(prefix + "/share/quantaura/handbuch/handbuch.md", "# H\n"));
        QCOMPARE(HandbookWindow::file(prefix + "/bin"), prefix + "/share/quantaura/handbuch/handbuch.md");
    }

    void handbookShowsItsPicturesLinksAndFinds()
    {
        SchMainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        HandbookWindow *h = HandbookWindow::showFor(&w, HandbookWindow::file(PROGRAM_DIR));
        QVERIFY(h && h->isVisible() && h->windowTitle() == QString::fromUtf8("Quantaura – Handbuch"));
        QCOMPARE(HandbookWindow::showFor(&w, QString()), h); // one per main window, also without a file
        QTextDocument *doc = h->browser()->document();
        QVERIFY2(doc->toPlainText().contains("Kronig-Penney-Gitter aus 8 Mulden"), "the Markdown is not rendered");
        // Every picture resolves to an image beside the handbook; every cross reference to a heading.
        QStringList pictures, links, sections;
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat f = it.fragment().charFormat();
                if (f.isImageFormat())
                    pictures << f.toImageFormat().name();
                if (f.anchorHref().startsWith('#'))
                    links << f.anchorHref().mid(1);
                sections << f.anchorNames();
            }
        QCOMPARE(pictures, QStringList({"handbuch-erste-schritte.png", "handbuch-farbkreis.png", "handbuch-eigenfunktionen.png",
                                        "handbuch-tunnelpendel-zustaende.png", "handbuch-streuung.png",
                                        "handbuch-tunnelpendel.png", "handbuch-gitter.png"})); // each once
        for (const QString &p : pictures) {
            const QVariant v = doc->resource(QTextDocument::ImageResource, QUrl(p));
            // Loaded as the file's bytes; laid out and painted, the cache holds the picture.
            const QSize size = v.userType() == QMetaType::QPixmap ? v.value<QPixmap>().size()
                             : v.userType() == QMetaType::QImage  ? v.value<QImage>().size()
                                                                   : QImage::fromData(v.toByteArray()).size();
            QVERIFY2(size.width() > 100 && size.height() > 100, qPrintable(p + " " + v.typeName()));
        }
        // They shrink to the window's width, keeping their shape, and grow back up to their own size.
        const auto widths = [doc] {
            QList<QSizeF> sizes;
            for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
                for (auto it = b.begin(); !it.atEnd(); ++it)
                    if (it.fragment().charFormat().isImageFormat())
                        sizes << QSizeF(it.fragment().charFormat().toImageFormat().width(), it.fragment().charFormat().toImageFormat().height());
            return sizes;
        };
        h->resize(500, 600);
        QCoreApplication::processEvents(); // the resize reaches the browser's viewport
        const qreal room = h->browser()->viewport()->width() - 2 * doc->documentMargin();
        for (const QSizeF &size : widths()) // 360 x 360 fits; 800 x 600, 900 x 640 and 1412 x 500 shrink
            QVERIFY2(size.width() <= room && (size.width() == 360 || size.width() > room - 10), qPrintable(QString("%1 x %2 in %3").arg(size.width()).arg(size.height()).arg(room)));
        QCOMPARE(widths().last().width() / widths().last().height(), 800.0 / 600.0);
        h->resize(1700, 600);
        QCoreApplication::processEvents();
        // Each at its file's own size (the pictures are redrawn from the build, so their sizes follow it).
        QList<QSizeF> own;
        for (const QString &p : pictures)
            own << QSizeF(QImage(QString(PROGRAM_DIR) + "/handbuch/" + p).size());
        QCOMPARE(widths(), own);
        QVERIFY2(links.size() >= 12, qPrintable(links.join(' ')));
        for (const QString &l : links)
            QVERIFY2(sections.contains(l), qPrintable(l));
        // A reference scrolls to its section and "Zurück" back to the top; the sections stay named.
        QScrollBar *scroll = h->browser()->verticalScrollBar();
        doc->documentLayout()->documentSize(); // laid out to the end
        QCOMPARE(scroll->value(), 0);
        h->browser()->setSource(QUrl("#beispiele-und-aufgaben"));
        QVERIFY(scroll->value() > scroll->maximum() / 3);
        find<QPushButton>(*h, "Zurück")->click();
        QCOMPARE(scroll->value(), 0);
        h->browser()->setSource(QUrl("#english-summary"));
        QCOMPARE(scroll->value(), scroll->maximum());
        // Ctrl+F goes to the find field; Return finds, from the top again after the last place.
        QVERIFY(QTest::qWaitForWindowActive(h));
        QTest::keyClick(h->browser(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(h->findField()->hasFocus());
        QTest::keyClicks(h->findField(), "Kronig");
        QTest::keyClick(h->findField(), Qt::Key_Return);
        const int first = h->browser()->textCursor().position();
        QVERIFY(h->browser()->textCursor().selectedText() == "Kronig" && h->findNote().isEmpty());
        QTest::keyClick(h->findField(), Qt::Key_Return);
        QTest::keyClick(h->findField(), Qt::Key_Return); // twice in the handbook, then the first again
        QCOMPARE(h->browser()->textCursor().position(), first);
        QTest::keyClick(h->findField(), Qt::Key_Return, Qt::ShiftModifier); // backwards: the last one
        QVERIFY(h->browser()->textCursor().position() > first);
        h->findField()->setText("Zeitmaschine");
        QTest::keyClick(h->findField(), Qt::Key_Return);
        QVERIFY(h->findNote() == "nicht gefunden" && h->browser()->textCursor().selectedText() == "Kronig");
        // Each main window has its own, which goes with it and never keeps the program running.
        QVERIFY(!h->testAttribute(Qt::WA_QuitOnClose));
        QPointer<HandbookWindow> gone;
        {
            SchMainWindow other;
            gone = HandbookWindow::showFor(&other, HandbookWindow::file(PROGRAM_DIR));
            QVERIFY(gone && gone != h);
        }
        QVERIFY(gone.isNull());
    }

    void helpMenuOpensTheHandbookWithF1()
    {
        // Beside this test program there is no handbook: F1 says where it looked.
        SchMainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QAction *a = action(w, "&Handbuch");
        QVERIFY(a && a->shortcut() == QKeySequence(Qt::Key_F1));
        QString box;
        onNextModal([&box](QWidget *m) { box = answer(m, "OK"); });
        QTest::keyClick(&w, Qt::Key_F1);
        const QString here = QCoreApplication::applicationDirPath();
        QCOMPARE(box, QString::fromUtf8("Quantaura: Das Handbuch „handbuch.md“ wurde nicht gefunden. Gesucht in:\n%1/handbuch\n%2 [OK]")
                          .arg(here, QDir::cleanPath(here + "/../share/quantaura/handbuch")));
        const QWidgetList windows = QApplication::topLevelWidgets();
        QVERIFY(std::none_of(windows.begin(), windows.end(), [](QWidget *t) { return qobject_cast<HandbookWindow *>(t); }));
    }

    void quitQuestionSavesDiscardsOrStays()
    {
        const QString path = dir.filePath("quit.pot");
        struct Case {
            const char *click;      // the answer to the question
            QString saveAs;         // what the save dialog returns
            bool quits;             // the window closes
            QStringList moreBoxes;  // after the question
        } cases[] = {
            {"&Abbrechen", path, false, {}},
            {"&Verwerfen", path, true, {}},
            {"&Speichern", "", false, {}}, // the save dialog cancelled
            {"&Speichern", dir.filePath("no/such/folder/x.pot"), false, {"Quantaura: Could not open file ! [OK]"}},
            {"&Speichern", path, true, {}},
        };
        const QString question = QString::fromUtf8("Quantaura: Das Potential wurde geändert. Vor dem Beenden speichern? "
                                                   "[&Abbrechen/&Speichern/&Verwerfen]");
        for (const Case &c : cases) {
            SchMainWindow w;
            w.askSaveName = [&c](QWidget *, const QString &, const QString &, const QString &) { return c.saveAs; };
            w.show();
            std::vector<double> pot(N, 0.0);
            pot[500] = 0.0125;
            w.drawingSurface()->setPot(pot.data());
            QStringList boxes;
            onNextModal([&](QWidget *m) {
                onNextModal([&](QWidget *m2) { boxes << answer(m2, "OK"); }); // the failed save's warning
                boxes << answer(m, c.click);
            });
            const bool closed = w.close();
            QCoreApplication::processEvents(); // the warning's answerer, when there was no warning
            const QString what = c.click + QString(" ") + c.saveAs;
            QCOMPARE(boxes, QStringList(question) + c.moreBoxes);
            QVERIFY2(closed == c.quits, qPrintable(what));
            QVERIFY2(w.isVisible() != c.quits, qPrintable(what));
            // Only a save that went through leaves the potential unmodified; it is the file's.
            QVERIFY2(w.potentialModified() == (c.click != QString("&Speichern") || !c.quits), qPrintable(what));
            QVERIFY2(QFile::exists(path) == (c.click == QString("&Speichern") && c.quits), qPrintable(what));
        }
        std::vector<double> back(N);
        QVERIFY(PotentialFile::read(path, back.data()) == PotentialFile::ReadStatus::Ok && back[500] == 0.0125 && back[499] == 0.0);
        // Return takes the default, Escape the escape button: both keep the program.
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            SchMainWindow w;
            w.show();
            w.drawingSurface()->setPot(std::vector<double>(N, 0.01).data());
            QString box;
            answerNextBox(box, key);
            QVERIFY2(!w.close() && w.isVisible() && w.potentialModified(), key == Qt::Key_Return ? "Return" : "Escape");
        }
        SchMainWindow unchanged; // nothing to lose: no question
        unchanged.show();
        QVERIFY(unchanged.close());
    }

    void readerLimitsSayWhatTheyCheck()
    {
        // A sample line may be 4096 bytes long, its line end not counted; one byte more is no number.
        std::vector<double> pot;
        QString note;
        const QByteArray head = "h\n1024\n", fits = QByteArray(4095, '0') + "7";
        for (const QByteArray eol : {"\n", "\r\n", ""}) { // the last line may have none
            const QByteArray next = eol.isEmpty() ? "" : "0.5\n";
            QVERIFY(readBytes(head + fits + eol + next, pot, &note) == PotentialFile::ReadStatus::Ok);
            QVERIFY2(pot[0] == 7.0 && note.isEmpty(), qPrintable(QString("end %1: %2 %3").arg(eol.toHex()).arg(pot[0]).arg(note)));
            QVERIFY(readBytes(head + "0" + fits + eol + next, pot, &note) == PotentialFile::ReadStatus::Ok);
            QVERIFY2(pot[0] == 0.0 && note == "1 Zeile war keine Zahl und wurde als 0 gelesen",
                     qPrintable(QString("end %1: %2 %3").arg(eol.toHex()).arg(pot[0]).arg(note)));
            QVERIFY2(pot[1] == (eol.isEmpty() ? 0.0 : 0.5), "the next line");
        }
        // The first 1026 lines may take 16 MiB together; a byte more is refused with a message of its own.
        QByteArray samples;
        for (int i = 0; i < N; ++i)
            samples += "0.5\n";
        const QByteArray count = "1024\n";
        QByteArray big(PotentialFile::MaxReadBytes - count.size() - samples.size() - 1, 'x');
        big += '\n' + count + samples + "more lines are not counted\n";
        QVERIFY(readBytes(big, pot) == PotentialFile::ReadStatus::Ok && pot[N - 1] == 0.5);
        QVERIFY(readBytes('x' + big, pot) == PotentialFile::ReadStatus::TooLarge && pot[0] == -1.0);
        QVERIFY(readBytes("h\n1023\n", pot) == PotentialFile::ReadStatus::BadFormat);
        const QString tooLarge = PotentialFile::tooLargeMessage();
        QVERIFY2(tooLarge.contains("1026 Zeilen") && tooLarge.contains("16 MiB"), qPrintable(tooLarge));
        // Through File -> Open: that message, the potential as it was.
        const QString path = dir.filePath("big.pot");
        QVERIFY(putFile(path, 'x' + big));
        SchMainWindow w;
        w.askOpenName = [&](QWidget *, const QString &, const QString &, const QString &) { return path; };
        QString box;
        answerNextBox(box, Qt::Key_Return);
        w.open();
        QVERIFY(QFile::remove(path));
        QCOMPARE(box, "Quantaura: " + tooLarge);
        QVERIFY(w.drawingSurface()->getPot()[0] == 0.0 && !w.potentialModified());
    }

    void saveAsksBeforeReplacingAnyLink()
    {
        // A link that leads nowhere or in a circle is something the name stands for: ask first.
        const QString dangling = dir.filePath("dangling.pot"), loop = dir.filePath("loop.pot"), target = dir.filePath("target.pot");
        QVERIFY(QFile::link(target, dangling) && QFile::link(loop, loop));
        QVERIFY(!QFileInfo::exists(dangling) && !QFileInfo::exists(loop));
        const QString exists = "Quantaura: File already exists !\nOverwrite ? [Cancel/Ok]";
        for (const QString &name : {dangling, loop}) {
            SchMainWindow w;
            w.askSaveName = [&](QWidget *, const QString &, const QString &, const QString &) { return name; };
            QString box;
            onNextModal([&box](QWidget *m) { box = answer(m, "Cancel"); });
            w.save();
            QCOMPARE(box, exists);
            QVERIFY2(QFileInfo(name).isSymLink() && !QFile::exists(target), qPrintable(name));
        }
        SchMainWindow w; // "Ok" writes through the link and keeps it
        w.askSaveName = [&](QWidget *, const QString &, const QString &, const QString &) { return dangling; };
        QString box;
        answerNextBox(box, Qt::Key_Return);
        w.save();
        QVERIFY(QFileInfo(dangling).isSymLink() && fileBytes(target).startsWith("Quantaura Potential\n1024\n"));
    }

    void sideWindowsKeepClearOfTheWorkingArea()
    {
        using WindowPlacement::Prefer;
        // 1600 x 1000, the main window top left with its working area (controls and drawing
        // surface), the scattering window low right over a corner of it.
        const QRect screen(0, 0, 1600, 1000), main(0, 0, 707, 590), work(1, 50, 705, 515), scattering(695, 475, 905, 525);
        const QRect wide(0, 0, 1920, 1080), other(720, 100, 400, 400);
        const struct { const char *what; QRect anchor; QSize frame; QVector<QRect> taken, keep; Prefer prefer; QPoint at; QRect on; } cases[] = {
            {"scattering window: no free place, least over the working area", main, {905, 525}, {main}, {work}, Prefer::AnySide, {695, 475}, screen},
            {"plot: neither right nor below fit; over the scattering window's top, not the drawing surface",
             scattering, {510, 525}, {main, scattering}, {work}, Prefer::RightThenBelow, {1090, 0}, screen},
            {"scattering window, main window in the middle: over the drawing surface's lower right, clear of the controls",
             {451, 224, 700, 606}, {900, 522}, {{451, 224, 700, 606}}, {{452, 265, 698, 564}}, Prefer::AnySide, {700, 478}, screen},
            {"the same without a working area to keep clear: over the main window",
             scattering, {510, 525}, {main, scattering}, {}, Prefer::RightThenBelow, {175, 475}, screen},
            {"plot: right of it, also over another side window", {100, 100, 600, 400}, {500, 500}, {other}, {}, Prefer::RightThenBelow, {710, 100}, wide},
            {"any side: a free place instead", {100, 100, 600, 400}, {500, 500}, {other}, {}, Prefer::AnySide, {100, 510}, wide},
            {"plot: right is off the screen, below", {1300, 100, 600, 400}, {500, 500}, {{1300, 520, 400, 400}}, {}, Prefer::RightThenBelow, {1300, 510}, wide},
            {"plot: right would cover the working area, below", {0, 0, 600, 400}, {500, 500}, {{620, 0, 700, 600}}, {{621, 50, 698, 540}},
             Prefer::RightThenBelow, {0, 410}, wide},
            {"plot: neither, the first free place", {0, 300, 600, 700}, {500, 500}, {{620, 0, 700, 600}}, {{621, 50, 698, 540}},
             Prefer::RightThenBelow, {1420, 0}, wide},
        };
        for (const auto &c : cases)
            QVERIFY2(WindowPlacement::beside(c.anchor, c.frame, c.on, 10, c.taken, c.keep, c.prefer) == c.at, c.what);
    }
};

QTEST_MAIN(TestAppShell)
#include "test_appshell.moc"
