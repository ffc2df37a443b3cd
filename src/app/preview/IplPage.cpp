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

    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("Memo1"));
    text_->setReadOnly(true);
    // Read-only still lets the keyboard move the caret and select.
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QFont font(QStringLiteral("Lucida Console"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(11);
    text_->setFont(font);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setMinimumSize(100, 60);
    text_->resize(249, 326);
    layout->addWidget(text_, 1);

    textMenu_ = new QMenu(this);
    textMenu_->setObjectName(QStringLiteral("PopupMenu3"));
    auto add = [this](const char* name, const QString& caption) {
        auto* a = new QAction(caption, textMenu_);
        a->setObjectName(QString::fromLatin1(name));
        textMenu_->addAction(a);
        return a;
    };
    copyItem_ = add("N33", tr("Копировать"));
    selectAllItem_ = add("N35", tr("Выделить всё"));
    separatorItem_ = add("N36", QString());
    separatorItem_->setSeparator(true);
    saveAsItem_ = add("N37", tr("Сохранить как..."));
    connect(copyItem_, &QAction::triggered, this, [this] { guard_([this] { CopySelection(); }); });
    connect(selectAllItem_, &QAction::triggered, this, [this] { guard_([this] { SelectAll(); }); });
    connect(saveAsItem_, &QAction::triggered, this, [this] { guard_([this] { SaveAsText(); }); });
    connect(textMenu_, &QMenu::aboutToShow, this, [this] { UpdateTextMenu(); });

    text_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(text_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { textMenu_->popup(text_->viewport()->mapToGlobal(pos)); });
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
    text_->setUpdatesEnabled(false);
    text_->clear();
    TMemoText text;
    auto show = [&] {
        text_->setPlainText(text.Take());
        QTextCursor start(text_->document());
        text_->setTextCursor(start);
        text_->horizontalScrollBar()->setValue(0);
        text_->verticalScrollBar()->setValue(0);
        text_->setUpdatesEnabled(true);
    };
    try {
        ConvertPlacement(file, file.Position() - IplHeaderSize, ParseIplHeader(entry.Header().data()), EntryName(entry.Entry), text);
    } catch (...) {
        show();
        throw;
    }
    show();
}

void TIplPage::UpdateTextMenu() { copyItem_->setEnabled(text_->textCursor().hasSelection()); }

void TIplPage::CopySelection()
{
    QString selected = text_->textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    selected.replace(QChar::LineSeparator, QLatin1Char('\n'));
    QGuiApplication::clipboard()->setText(selected);
}

void TIplPage::SelectAll() { text_->selectAll(); }

void TIplPage::SaveAsText()
{
    QString path =
        prompts_.SaveFile(this, DialogName(PlacementTextDialog), DialogFilter(PlacementTextDialog), saveName_);
    if (path.isEmpty()) return;
    if (!HasExtension(path)) path += QStringLiteral(".ipl");
    saveName_ = path;

    TPlacementTextFile out(LocalPath(path));
    const QTextDocument* doc = text_->document();
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
    text_->clear();
}
