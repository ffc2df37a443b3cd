#include "app/preview/IplPage.h"

#include <QAction>
#include <algorithm>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

#include "app/Dialogs.h"
#include "app/LocalPaths.h"
#include "app/Prompts.h"
#include "base/NameCodec.h"
#include "formats/ipl/Placement.h"
#include "formats/ipl/PlacementTextFile.h"

using namespace korvane;

namespace {

// Collects the converted lines as the memo's text.
class TMemoText : public TPlacementSink {
public:
    void Line(std::string_view line) override
    {
        // Only the comment line can hold a name's Windows-1251 letters.
        const bool ascii = std::all_of(line.begin(), line.end(), [](char c) { return (c & 0x80) == 0; });
        if (ascii) {
            text_.append(QLatin1StringView(line.data(), qsizetype(line.size())));
        } else {
            text_.append(QString::fromStdString(Cp1251ToUtf8(line)));
        }
        text_.append(QLatin1Char('\n'));
    }
    QString Take()
    {
        if (text_.endsWith(QLatin1Char('\n'))) text_.chop(1);
        return std::move(text_);
    }

private:
    QString text_;
};

// Where the memo stands inside the page: a 264-pixel page gives it 249 pixels.
constexpr int MemoLeft = 8;
constexpr int MemoTop = 40;
constexpr int MemoRight = 7;
constexpr int MemoBottom = 8;

}  // namespace

TIplPage::TIplPage(QWidget* parent, Prompts& prompts, TGuard guard)
    : QWidget(parent), prompts_(prompts), guard_(std::move(guard))
{
    setObjectName(QStringLiteral("IPL"));
    setAccessibleName(QStringLiteral("IPL"));
    // The memo stands at (8, 40) and follows the page's edges; the labels
    // above it are placed by resizeEvent.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(MemoLeft, MemoTop, MemoRight, MemoBottom);
    header_ = MakePreviewHeader(this, "Label5", "Label7");

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    // Read-only still lets the keyboard move the caret and select.
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QFont font(QStringLiteral("Lucida Console"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(11);
    Memo1->setFont(font);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setMinimumSize(100, 60);
    Memo1->resize(249, 326);
    layout->addWidget(Memo1, 1);

    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName(QStringLiteral("PopupMenu3"));
    auto add = [this](const char* name, const QString& caption) {
        auto* a = new QAction(caption, PopupMenu3);
        a->setObjectName(QString::fromLatin1(name));
        PopupMenu3->addAction(a);
        return a;
    };
    N33 = add("N33", tr("Копировать"));
    N35 = add("N35", tr("Выделить всё"));
    N36 = add("N36", QString());
    N36->setSeparator(true);
    N37 = add("N37", tr("Сохранить как..."));
    connect(N33, &QAction::triggered, this, [this] { guard_([this] { N33Click(); }); });
    connect(N35, &QAction::triggered, this, [this] { guard_([this] { N35Click(); }); });
    connect(N37, &QAction::triggered, this, [this] { guard_([this] { N37Click(); }); });
    connect(PopupMenu3, &QMenu::aboutToShow, this, [this] { PopupMenu3Popup(); });

    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu3->popup(Memo1->viewport()->mapToGlobal(pos)); });
}

void TIplPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayOutHeader();
}

void TIplPage::LayOutHeader()
{
    header_.Name->adjustSize();
    header_.Name->move(8, 8);
    header_.Size->adjustSize();
    header_.Size->move(width() - 8 - header_.Size->width(), 8);
}

bool TIplPage::Takes(TPreviewEntry& entry)
{
    return entry.Is(TFormatKind::Placement);
}

void TIplPage::Show(TPreviewEntry& entry)
{
    header_.Name->setText(entry.Name);
    header_.Size->setText(entry.SizeText);
    LayOutHeader();
    TFile& file = entry.File();

    // The lines are gathered with the memo's redrawing suspended and shown
    // in one go; after a failure the lines converted before it are shown.
    Memo1->setUpdatesEnabled(false);
    Memo1->clear();
    TMemoText text;
    auto show = [&] {
        Memo1->setPlainText(text.Take());
        QTextCursor start(Memo1->document());
        Memo1->setTextCursor(start);
        Memo1->horizontalScrollBar()->setValue(0);
        Memo1->verticalScrollBar()->setValue(0);
        Memo1->setUpdatesEnabled(true);
    };
    try {
        ConvertPlacement(file, file.Position() - IplHeaderSize, ParseIplHeader(entry.Header().data()), EntryName(entry.Entry), text);
    } catch (...) {
        show();
        throw;
    }
    show();
}

void TIplPage::PopupMenu3Popup() { N33->setEnabled(Memo1->textCursor().hasSelection()); }

void TIplPage::N33Click()
{
    QString selected = Memo1->textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    selected.replace(QChar::LineSeparator, QLatin1Char('\n'));
    QGuiApplication::clipboard()->setText(selected);
}

void TIplPage::N35Click() { Memo1->selectAll(); }

void TIplPage::N37Click()
{
    QString path = prompts_.SaveFile(this, DialogName(SaveDialog3), DialogFilter(SaveDialog3), saveName_);
    if (path.isEmpty()) return;
    if (!HasExtension(path)) path += QStringLiteral(".ipl");
    saveName_ = path;

    TPlacementTextFile out(LocalPath(path));
    const QTextDocument* doc = Memo1->document();
    // Block by block: the plain-text export would turn no-break spaces of
    // Windows-1251 names into ordinary ones.
    if (!doc->isEmpty())
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) out.Line(Utf8ToCp1251(b.text().toStdString()));
    out.Close();
}

void TIplPage::Clear()
{
    header_.Clear();
    LayOutHeader();
    Memo1->clear();
}
