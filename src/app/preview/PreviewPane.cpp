#include "app/preview/PreviewPane.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/TranslatedWords.h"
#include "app/preview/ColPage.h"
#include "app/preview/DffPage.h"
#include "app/preview/IfpPage.h"
#include "app/preview/IplPage.h"
#include "app/preview/TxdPage.h"
#include "base/NameCodec.h"
#include "listview/CellText.h"

using namespace korvane;

TPreviewEntry::TPreviewEntry(const Catalogue& cat, const TArchiveEntry& e, bool editable)
    : Cat(cat),
      Entry(e),
      Format(FormatByName(EntryName(e))),
      Name(QString::fromStdString(Cp1251ToUtf8(EntryName(e)))),
      SizeText(QString::fromStdString(EntrySizeText(cat.ArchiveKind, e, TTranslatedWords().Words()))),
      Editable(editable)
{
}

TFile& TPreviewEntry::File()
{
    if (!file_) {
        file_.emplace(TFile::OpenReadOnly(Cat.ArchivePath));
        file_->Seek(EntryBytePos(Cat.ArchiveKind, Entry));
    }
    return *file_;
}

bool TPreviewEntry::Is(TFormatKind kind)
{
    if (!Format || Format->Kind != kind) return false;
    if (!Format->PreviewHeaderSize) return true;
    if (header_.empty()) {
        std::vector<uint8_t> header(Format->PreviewHeaderSize);
        File().ReadExact(header.data(), header.size());
        header_ = std::move(header);
    }
    return Format->Starts(header_);
}

TPreviewPane::TPreviewPane(QWidget* parent, Prompts& prompts, TGuard guard) : QStackedWidget(parent)
{
    setObjectName(QStringLiteral("Notebook1"));
    setMinimumWidth(260);
    default_ = new QWidget(this);
    default_->setObjectName(QStringLiteral("Default"));
    default_->setAccessibleName(QStringLiteral("Default"));
    addWidget(default_);
    // The pages stand in the pane in this order: 1 TXD, 2 DFF, 3 IPL, 4 COL, 5 IFP.
    txd_ = new TTxdPage(this, prompts, guard);
    pages_ = {txd_, new TDffPage(this, prompts, guard), new TIplPage(this, prompts, guard), new TColPage(this, guard),
              new TIfpPage(this, guard)};
    for (TPreviewPage* page : pages_) addWidget(page->Widget());

    auto* emptyNote = new QLabel(tr("Файлы не выбраны или их формат не поддерживается"), default_);
    emptyNote->setObjectName(QStringLiteral("Label4"));
    emptyNote->setWordWrap(true);
    emptyNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* layout = new QVBoxLayout(default_);
    layout->addWidget(emptyNote);
    layout->addStretch(1);
}

void TPreviewPane::Preview(const Catalogue& cat, const TArchiveEntry& e, bool editable)
{
    emit PreviewStarted();
    TPreviewEntry entry(cat, e, editable);
    for (TPreviewPage* page : pages_) {
        if (!page->Takes(entry)) continue;
        setCurrentWidget(page->Widget());
        page->Show(entry);
        return;
    }
    ShowDefault();
}

void TPreviewPane::ShowDefault() { setCurrentWidget(default_); }

void TPreviewPane::Clear()
{
    for (TPreviewPage* page : pages_) page->Clear();
}

void TPreviewPane::SetTextureChanger(
    std::function<TTextureChangeResult(const TArchiveEntry&, const TTextureChange&)> changer)
{
    txd_->SetTextureChanger(std::move(changer));
}
