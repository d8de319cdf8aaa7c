// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app/handbookwindow.h"

#include "ui/widgets/windowplacement.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QImage>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFormat>
#include <QUrl>
#include <QVBoxLayout>
#include <QVector>

#include <algorithm>
#include <memory>

namespace {

const QString HandbookName = QStringLiteral("handbuch.md");

// The name a heading's links use, as the usual Markdown renderers make it: lower case, spaces
// to hyphens, every other character that is neither letter, digit, hyphen nor underscore left out.
QString sectionName(const QString &heading)
{
    QString name;
    for (const QChar c : heading.trimmed().toLower()) {
        if (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_'))
            name += c;
        else if (c == QLatin1Char(' '))
            name += QLatin1Char('-');
    }
    return name;
}

// A child of the window the handbook was opened from: holds that window's one handbook window,
// which has no parent (it is no dialog of the main window and stays below it when asked to).
struct Holder : QObject
{
    std::unique_ptr<HandbookWindow> window;
};

} // namespace

HandbookWindow::HandbookWindow(const QString &file, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Quantaura – Handbuch"));
    setAttribute(Qt::WA_QuitOnClose, false); // a side window must not keep the program running

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto *bar = new QHBoxLayout();
    layout->addLayout(bar);
    auto *back = new QPushButton(QStringLiteral("Zurück"), this);
    auto *contents = new QPushButton(QStringLiteral("Anfang"), this);
    auto *findLabel = new QLabel(QStringLiteral("&Suchen:"), this);
    findEdit = new QLineEdit(this);
    findEdit->setPlaceholderText(QStringLiteral("Text im Handbuch (Strg+F)"));
    findEdit->setClearButtonEnabled(true);
    findLabel->setBuddy(findEdit);
    auto *next = new QPushButton(QStringLiteral("Weiter"), this);
    findState = new QLabel(this);
    bar->addWidget(back);
    bar->addWidget(contents);
    bar->addSpacing(12);
    bar->addWidget(findLabel);
    bar->addWidget(findEdit, 1);
    bar->addWidget(next);
    bar->addWidget(findState);

    text = new QTextBrowser(this);
    text->setOpenExternalLinks(true); // web links go to the desktop's browser
    layout->addWidget(text, 1);

    back->setEnabled(false);
    back->setToolTip(QStringLiteral("Zurück zur Stelle vor dem letzten Verweis (Alt+Links)"));
    contents->setToolTip(QStringLiteral("Zum Anfang mit dem Inhaltsverzeichnis"));
    next->setToolTip(QStringLiteral("Nächste Fundstelle (Eingabetaste, F3); die vorige: Umschalt+Eingabetaste, Umschalt+F3"));
    connect(back, &QPushButton::clicked, text, &QTextBrowser::backward);
    connect(text, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(contents, &QPushButton::clicked, text, &QTextBrowser::home);
    connect(next, &QPushButton::clicked, this, [this] { findNext(false); });
    connect(findEdit, &QLineEdit::returnPressed, this, [this] { findNext(false); });
    connect(findEdit, &QLineEdit::textEdited, findState, &QLabel::clear);

    auto shortcut = [this](const QKeySequence &keys, QWidget *on, auto act) {
        auto *a = new QAction(on);
        a->setShortcut(keys);
        a->setShortcutContext(on == this ? Qt::WindowShortcut : Qt::WidgetShortcut);
        on->addAction(a);
        connect(a, &QAction::triggered, this, act);
    };
    shortcut(QKeySequence::Find, this, [this] {
        findEdit->setFocus(Qt::ShortcutFocusReason);
        findEdit->selectAll();
    });
    shortcut(QKeySequence::FindNext, this, [this] { findNext(false); });
    shortcut(QKeySequence::FindPrevious, this, [this] { findNext(true); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_Return), findEdit, [this] { findNext(true); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_Enter), findEdit, [this] { findNext(true); });

    // Each loading (also going back from another file) gets the section names again, and the
    // pictures fit the window's width whatever it is.
    connect(text, &QTextBrowser::sourceChanged, this, [this] {
        nameSections();
        fitPictures();
    });
    text->viewport()->installEventFilter(this);
    const QFileInfo info(file);
    text->setSearchPaths({info.absolutePath()});
    text->setSource(QUrl::fromLocalFile(info.absoluteFilePath()), QTextDocument::MarkdownResource);

    // Wide enough for the tables, within the screen; the pictures shrink to fit.
    QSize size(760, 800);
    if (const QScreen *s = screen())
        size = size.boundedTo(s->availableGeometry().size() * 9 / 10);
    resize(size);
}

QString HandbookWindow::findNote() const
{
    return findState->text();
}

void HandbookWindow::nameSections()
{
    QTextDocument *doc = text->document();
    // Quietly: the browser takes any change it hears of for the reader's own edit and would then
    // load the file again on the next link, without these names.
    const QSignalBlocker quiet(doc);
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        if (b.blockFormat().headingLevel() == 0 || b.text().trimmed().isEmpty())
            continue;
        QTextCursor c(b);
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat f;
        f.setAnchor(true);
        f.setAnchorNames({sectionName(b.text())});
        c.mergeCharFormat(f);
    }
}

bool HandbookWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == text->viewport() && event->type() == QEvent::Resize)
        fitPictures();
    return QWidget::eventFilter(watched, event);
}

void HandbookWindow::fitPictures()
{
    QTextDocument *doc = text->document();
    const qreal room = std::max(50.0, text->viewport()->width() - 2 * doc->documentMargin() - 8);
    struct Picture
    {
        int at;
        QTextImageFormat format;
    };
    QVector<Picture> pictures;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                pictures.append({it.fragment().position(), it.fragment().charFormat().toImageFormat()});
    const QSignalBlocker quiet(doc); // as in nameSections()
    for (Picture &p : pictures) {
        QSize &natural = pictureSizes[p.format.name()];
        if (natural.isEmpty()) {
            const QVariant v = doc->resource(QTextDocument::ImageResource, QUrl(p.format.name()));
            natural = v.userType() == QMetaType::QPixmap ? v.value<QPixmap>().deviceIndependentSize().toSize()
                    : v.userType() == QMetaType::QImage  ? v.value<QImage>().deviceIndependentSize().toSize()
                                                          : QImage::fromData(v.toByteArray()).size();
            if (natural.isEmpty())
                continue; // a missing picture keeps its place holder
        }
        const qreal width = std::min<qreal>(natural.width(), room);
        if (p.format.width() == width)
            continue;
        p.format.setWidth(width);
        p.format.setHeight(natural.height() * width / natural.width());
        QTextCursor c(doc);
        c.setPosition(p.at);
        c.setPosition(p.at + 1, QTextCursor::KeepAnchor);
        c.setCharFormat(p.format);
    }
}

bool HandbookWindow::findNext(bool backward)
{
    const QString what = findEdit->text();
    findState->clear();
    if (what.isEmpty())
        return false;
    const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    const QTextCursor before = text->textCursor();
    bool found = text->find(what, flags);
    if (!found) {
        QTextCursor from(text->document());
        from.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        text->setTextCursor(from);
        found = text->find(what, flags);
    }
    if (!found) {
        text->setTextCursor(before);
        findState->setText(QStringLiteral("nicht gefunden"));
    }
    return found;
}

QStringList HandbookWindow::folders(const QString &programDir)
{
    const QDir bin(programDir);
    return {QDir::cleanPath(bin.filePath(QStringLiteral("handbuch"))),
            QDir::cleanPath(bin.filePath(QStringLiteral(QUANTAURA_HANDBOOK_FROM_BINDIR)))};
}

QString HandbookWindow::file(const QString &programDir)
{
    for (const QString &folder : folders(programDir)) {
        const QFileInfo md(QDir(folder).filePath(HandbookName));
        if (md.isFile() && md.isReadable())
            return md.filePath();
    }
    return QString();
}

HandbookWindow *HandbookWindow::showFor(QWidget *owner, const QString &file)
{
    if (!owner)
        return nullptr;
    Holder *holder = nullptr;
    for (QObject *child : owner->children())
        if ((holder = dynamic_cast<Holder *>(child)))
            break;
    if (!holder) {
        const QFileInfo md(file);
        if (file.isEmpty() || !md.isFile() || !md.isReadable()) {
            const QString where = file.isEmpty() ? folders().join(QLatin1Char('\n')) : file;
            QMessageBox::warning(owner, QStringLiteral("Quantaura"),
                                 QStringLiteral("Das Handbuch „%1“ wurde nicht gefunden. Gesucht in:\n%2").arg(HandbookName, where));
            return nullptr;
        }
        holder = new Holder;
        holder->setParent(owner);
        holder->window = std::make_unique<HandbookWindow>(file);
        WindowPlacement::placeBeside(holder->window.get(), owner->window(), 10, WindowPlacement::WithoutFrames::Beside);
    }
    HandbookWindow *w = holder->window.get();
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}
