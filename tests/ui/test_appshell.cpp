// SPDX-License-Identifier: GPL-3.0-or-later
// The shell around the windows (control or input -> what must happen):
//   Help -> Handbuch, F1  beside the program, else <prefix>/share/quantaura/handbuch; none: a message naming both
//   handbook window       "Quantaura – Handbuch", one per main window, never keeps the program running
//   its pages             every picture; "Zurück" after a link, "Anfang"
//   find field            Ctrl+F; Return/F3 next, with Shift previous, round the end; none: "nicht gefunden"
//   quit question         for a changed potential; "Speichern" quits only if saved, "Verwerfen" quits, the rest stay
//   save over a name      any existing name, even a broken or circular link, is asked about first
//   file reader           a line may hold 4096 bytes, the first 1026 lines 16 MiB together
//   side windows          beside their anchor, clear of the working area, a tie to the earlier place
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

// The reader's verdict on `bytes`, with its samples (-1 where it wrote none) and its notes.
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
    void initTestCase() { isolateSettings(); }

    void handbookIsFoundBesideTheProgramOrUnderItsPrefix()
    {
        const QString built = QString(PROGRAM_DIR) + "/handbuch/handbuch.md";
        QCOMPARE(HandbookWindow::file(PROGRAM_DIR), built);
        QCOMPARE(fileBytes(built), fileBytes(HANDBOOK_SOURCE)); // the build tree has the current text
        const QString prefix = dir.filePath("prefix");
        QVERIFY(QDir().mkpath(prefix + "/bin"));
        QVERIFY(QDir().mkpath(prefix + "/share/quantaura/handbuch"));
        QCOMPARE(HandbookWindow::file(prefix + "/bin"), QString());
        QVERIFY(putFile(prefix + "/share/quantaura/handbuch/handbuch.md", "# H\n"));
        QCOMPARE(HandbookWindow::file(prefix + "/bin"), prefix + "/share/quantaura/handbuch/handbuch.md");
        // Beside this test program there is none: F1 says where it looked.
        SchMainWindow w;
        QVERIFY(showActive(w));
        QString box;
        onNextModal([&box](QWidget *m) { box = answer(m, "OK"); });
        QTest::keyClick(&w, Qt::Key_F1);
        const QString here = QCoreApplication::applicationDirPath();
        QCOMPARE(box, QString::fromUtf8("Quantaura: Das Handbuch „handbuch.md“ wurde nicht gefunden. Gesucht in:\n%1/handbuch\n%2 [OK]")
                          .arg(here, QDir::cleanPath(here + "/../share/quantaura/handbuch")));
        const QWidgetList windows = QApplication::topLevelWidgets();
        QVERIFY(std::none_of(windows.begin(), windows.end(), [](QWidget *t) { return qobject_cast<HandbookWindow *>(t); }));
    }

    void handbookShowsItsPicturesLinksAndFinds()
    {
        SchMainWindow w;
        QVERIFY(showActive(w));
        HandbookWindow *h = HandbookWindow::showFor(&w, HandbookWindow::file(PROGRAM_DIR));
        QVERIFY(h);
        QVERIFY(h->isVisible());
        QCOMPARE(h->windowTitle(), QString::fromUtf8("Quantaura – Handbuch"));
        QVERIFY(h->screen()->availableGeometry().contains(h->frameGeometry()));
        QCOMPARE(HandbookWindow::showFor(&w, QString()), h); // one per main window, also without a file
        QTextDocument *doc = h->browser()->document();
        QVERIFY2(doc->toPlainText().contains("Kronig-Penney-Gitter aus 8 Mulden"), "the Markdown is not rendered");
        // Every picture, each once.
        QStringList pictures;
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it)
                if (const QTextCharFormat f = it.fragment().charFormat(); f.isImageFormat())
                    pictures << f.toImageFormat().name();
        QCOMPARE(pictures, QStringList({"handbuch-erste-schritte.png", "handbuch-farbkreis.png", "handbuch-eigenfunktionen.png",
                                        "handbuch-tunnelpendel-zustaende.png", "handbuch-streuung.png",
                                        "handbuch-tunnelpendel.png", "handbuch-gitter.png"}));
        // A reference scrolls to its section, "Zurück" (greyed until then) back; "Anfang" to the top.
        QScrollBar *scroll = h->browser()->verticalScrollBar();
        doc->documentLayout()->documentSize(); // laid out to the end
        QPushButton *back = find<QPushButton>(*h, "Zurück");
        QCOMPARE(QList<int>({scroll->value(), back->isEnabled()}), QList<int>({0, false}));
        h->browser()->setSource(QUrl("#beispiele-und-aufgaben"));
        QVERIFY(scroll->value() > scroll->maximum() / 3);
        back->click();
        QCOMPARE(scroll->value(), 0);
        h->browser()->setSource(QUrl("#english-summary"));
        QCOMPARE(scroll->value(), scroll->maximum());
        find<QPushButton>(*h, "Anfang")->click();
        QCOMPARE(scroll->value(), 0);
        // Ctrl+F, then forwards and backwards round the end: "Kronig" stands twice in the handbook, at a and b.
        QVERIFY(QTest::qWaitForWindowActive(h));
        QTest::keyClick(h->browser(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(h->findField()->hasFocus());
        QTest::keyClicks(h->findField(), "Kronig");
        const QTextCursor a = doc->find("Kronig"), b = doc->find("Kronig", a);
        QList<int> found;
        for (const auto &[key, mods] : {std::pair{Qt::Key_Return, Qt::NoModifier}, {Qt::Key_F3, Qt::NoModifier}, {Qt::Key_Return, Qt::NoModifier},
                                        {Qt::Key_Return, Qt::ShiftModifier}, {Qt::Key_Return, Qt::ShiftModifier}, {Qt::Key_F3, Qt::ShiftModifier}}) {
            QTest::keyClick(h->findField(), key, mods);
            found << h->browser()->textCursor().selectionStart();
        }
        const int at = a.selectionStart(), bt = b.selectionStart();
        QCOMPARE(found, QList<int>({at, bt, at, bt, at, bt}));
        QCOMPARE(h->browser()->textCursor().selectedText(), QString("Kronig"));
        h->findField()->setText("Zeitmaschine");
        QTest::keyClick(h->findField(), Qt::Key_Return);
        QCOMPARE(h->findNote() + " " + h->browser()->textCursor().selectedText(), QString("nicht gefunden Kronig"));
        QTest::keyClick(h->findField(), Qt::Key_Backspace);
        QCOMPARE(h->findNote(), QString()); // an edit clears the note
        QVERIFY2(!h->testAttribute(Qt::WA_QuitOnClose), "the handbook keeps the program running");
    }

    void quitQuestionSavesDiscardsOrStays()
    {
        const QString path = dir.filePath("quit.pot");
        struct Case {
            QString click;         // the answer to the question: a button or a key
            QString saveAs;        // what the save dialog returns
            bool quits;            // the window closes
            QStringList moreBoxes; // after the question
        } cases[] = {
            {"&Abbrechen", path, false, {}},
            {"Return", path, false, {}},
            {"Escape", path, false, {}},
            {"&Verwerfen", path, true, {}},
            {"&Speichern", "", false, {}}, // the save dialog cancelled
            {"&Speichern", dir.filePath("no/such/folder/x.pot"), false, {"Quantaura: Could not open file ! [OK]"}},
            {"&Speichern", path, true, {}},
        };
        const QString question = QString::fromUtf8("Quantaura: Das Potential wurde geändert. Vor dem Beenden speichern? "
                                                   "[&Abbrechen/&Speichern/&Verwerfen]");
        for (const Case &c : cases) {
            SchMainWindow w;
            w.askSaveName = [&c](auto...) { return c.saveAs; };
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
            const QString what = c.click + " " + c.saveAs;
            QVERIFY2(boxes == QStringList(question) + c.moreBoxes, qPrintable(what + ": " + boxes.join(" | ")));
            QVERIFY2(closed == c.quits, qPrintable(what));
            QVERIFY2(w.isVisible() != c.quits, qPrintable(what));
            // Only a save that went through leaves the potential unmodified; it is the file's.
            QVERIFY2(w.potentialModified() == (c.click != "&Speichern" || !c.quits), qPrintable(what));
            QVERIFY2(QFile::exists(path) == (c.click == "&Speichern" && c.quits), qPrintable(what));
        }
        std::vector<double> back(N);
        QVERIFY(PotentialFile::read(path, back.data()) == PotentialFile::ReadStatus::Ok);
        QCOMPARE(back[500], 0.0125);
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
            const QString end = "end " + eol.toHex() + ": ";
            QVERIFY(readBytes(head + fits + eol + next, pot, &note) == PotentialFile::ReadStatus::Ok);
            QVERIFY2(pot[0] == 7.0, qPrintable(end + "4096 bytes"));
            QVERIFY2(note.isEmpty(), qPrintable(end + note));
            QVERIFY(readBytes(head + "0" + fits + eol + next, pot, &note) == PotentialFile::ReadStatus::Ok);
            QVERIFY2(pot[0] == 0.0, qPrintable(end + "4097 bytes"));
            QVERIFY2(note == "1 Zeile war keine Zahl und wurde als 0 gelesen", qPrintable(end + note));
            QVERIFY2(pot[1] == (eol.isEmpty() ? 0.0 : 0.5), qPrintable(end + "the next line"));
        }
        // The first 1026 lines may take 16 MiB together; a byte more is refused with a message of its own.
        QByteArray samples;
        for (int i = 0; i < N; ++i)
            samples += "0.5\n";
        QByteArray big(PotentialFile::MaxReadBytes - 5 - samples.size() - 1, 'x');
        big += "\n1024\n" + samples + "more lines are not counted\n";
        QVERIFY(readBytes(big, pot) == PotentialFile::ReadStatus::Ok);
        QCOMPARE(pot[N - 1], 0.5);
        QVERIFY(readBytes('x' + big, pot) == PotentialFile::ReadStatus::TooLarge);
        QCOMPARE(pot[0], -1.0);
        const QString tooLarge = PotentialFile::tooLargeMessage();
        QVERIFY2(tooLarge.contains("1026 Zeilen"), qPrintable(tooLarge));
        QVERIFY2(tooLarge.contains("16 MiB"), qPrintable(tooLarge));
        // Through File -> Open: that message, the potential as it was.
        const QString path = dir.filePath("big.pot");
        QVERIFY(putFile(path, 'x' + big));
        SchMainWindow w;
        w.askOpenName = [&](auto...) { return path; };
        QString box;
        answerNextBox(box, Qt::Key_Return);
        w.open();
        QVERIFY(QFile::remove(path));
        QCOMPARE(box, "Quantaura: " + tooLarge);
        QCOMPARE(w.drawingSurface()->getPot()[0], 0.0);
        QVERIFY(!w.potentialModified());
    }

    void saveAsksBeforeReplacingAnyLink()
    {
        // A link that leads nowhere or in a circle is something the name stands for: ask first.
        const QString dangling = dir.filePath("dangling.pot"), loop = dir.filePath("loop.pot"), target = dir.filePath("target.pot");
        QVERIFY(QFile::link(target, dangling));
        QVERIFY(QFile::link(loop, loop));
        for (const auto &[name, click] : {std::pair{dangling, "Cancel"}, {loop, "Cancel"}, {dangling, "Ok"}}) {
            SchMainWindow w;
            w.askSaveName = [name = name](auto...) { return name; };
            QString box;
            onNextModal([&box, click = click](QWidget *m) { box = answer(m, click); });
            w.save();
            QCOMPARE(box, QString("Quantaura: File already exists !\nOverwrite ? [Cancel/Ok]"));
            QVERIFY2(QFileInfo(name).isSymLink(), qPrintable(name));
            QVERIFY2(fileBytes(target).startsWith("Quantaura Potential\n1024\n") == (QString(click) == "Ok"), click);
        }
    }

    void sideWindowsBesideTheirAnchor()
    {
        using WindowPlacement::Prefer;
        // Screens 1600 x 1000, 1920 x 1080; a main window, its working area; a scattering window.
        const QRect small(0, 0, 1600, 1000), wide(0, 0, 1920, 1080), main(0, 0, 707, 590), work(1, 50, 705, 515);
        const QRect scattering(695, 475, 905, 525), other(720, 100, 400, 400), mid(610, 250, 700, 590);
        const struct { const char *what; QRect anchor; QSize frame; QVector<QRect> taken, keep; Prefer prefer; QPoint at; QRect on; } cases[] = {
            {"right of it", {100, 100, 700, 600}, {500, 500}, {}, {}, Prefer::AnySide, {810, 100}, wide},
            {"no room right: left of it", {1300, 100, 600, 600}, {500, 500}, {}, {}, Prefer::AnySide, {790, 100}, wide},
            {"below it", {100, 100, 1700, 300}, {500, 500}, {}, {}, Prefer::AnySide, {100, 410}, wide},
            {"above it", {100, 600, 1700, 400}, {500, 500}, {}, {}, Prefer::AnySide, {100, 90}, wide},
            {"no room: low and right, clear of the controls", mid, {900, 525}, {mid}, {}, Prefer::AnySide, {1020, 555}, wide},
            {"no free place, least over the working area", main, {905, 525}, {main}, {work}, Prefer::AnySide, {695, 475}, small},
            {"plot: over the scattering window's top, not the drawing surface", scattering, {510, 525}, {main, scattering}, {work},
             Prefer::RightThenBelow, {1090, 0}, small},
            {"plot: right of it, also over another side window", {100, 100, 600, 400}, {500, 500}, {other}, {}, Prefer::RightThenBelow, {710, 100}, wide},
            {"any side: a free place instead", {100, 100, 600, 400}, {500, 500}, {other}, {}, Prefer::AnySide, {100, 510}, wide},
            {"plot: right is off the screen, below", {1300, 100, 600, 400}, {500, 500}, {{1300, 520, 400, 400}}, {}, Prefer::RightThenBelow, {1300, 510}, wide},
            {"plot: right would cover the working area, below", {0, 0, 600, 400}, {500, 500}, {{620, 0, 700, 600}}, {{621, 50, 698, 540}},
             Prefer::RightThenBelow, {0, 410}, wide},
        };
        for (const auto &c : cases)
            QVERIFY2(WindowPlacement::beside(c.anchor, c.frame, c.on, 10, c.taken, c.keep, c.prefer) == c.at, c.what);
    }
};

QTEST_MAIN(TestAppShell)
#include "test_appshell.moc"
