#include "app/preview/IfpPage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/preview/TableListModel.h"
#include "archive/EntryBytes.h"
#include "base/NameCodec.h"

using namespace korvane;

namespace {

QTreeView* MakeList(QWidget* parent, const char* name, const QString& caption, TTableListModel* model)
{
    auto* view = new QTreeView(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setAccessibleName(caption);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setModel(model);
    // Every column as wide as its texts, the names' too; the last one takes
    // the room left over, and a list wider than the page scrolls.
    view->header()->setStretchLastSection(true);
    for (int c = 0; c < model->columnCount(); ++c) view->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    return view;
}

QString Latin(const std::string& raw) { return QString::fromStdString(Cp1251ToUtf8(raw)); }

}  // namespace

TIfpPage::TIfpPage(QWidget* parent, TGuard guard) : QWidget(parent), guard_(std::move(guard))
{
    setObjectName(QStringLiteral("IFP"));
    setAccessibleName(QStringLiteral("IFP"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    header_ = MakePreviewHeader(this, "IfpName", "IfpSize");
    auto* top = new QHBoxLayout;
    top->addWidget(header_.Name, 1);
    top->addWidget(header_.Size);
    layout->addLayout(top);
    IfpTotals = new QLabel(this);
    IfpTotals->setObjectName(QStringLiteral("IfpTotals"));
    layout->addWidget(IfpTotals);

    animations_ = new TTableListModel(this, {tr("Анимация"), tr("Костей"), tr("Ключей"), tr("Секунд")},
                                      [this](int row, int column) {
                                          const TAnimation& a = package_.Animations[size_t(row)];
                                          switch (column) {
                                          case 0: return Latin(a.Name);
                                          case 1: return QString::number(a.Bones.size());
                                          case 2: return QString::number(a.Keys);
                                          default: return QString::fromStdString(SecondsText(a.Seconds));
                                          }
                                      });
    bones_ = new TTableListModel(
        this, {tr("Кость"), tr("Вид ключей"), tr("ID"), tr("Ключей")},
        [this](int row, int column) {
            const TAnimationBone& b = package_.Animations[size_t(shownBones_)].Bones[size_t(row)];
            switch (column) {
            case 0: return Latin(b.Name);
            case 1: return KindText(b.Kind);
            case 2: return b.Id < 0 ? QStringLiteral("—") : QString::number(b.Id);
            default: return QString::number(b.Keys);
            }
        },
        2);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("IfpSplitter"));
    splitter->setChildrenCollapsible(false);
    IfpAnimations = MakeList(splitter, "IfpAnimations", tr("Анимации"), animations_);
    IfpBones = MakeList(splitter, "IfpBones", tr("Кости анимации"), bones_);
    splitter->addWidget(IfpAnimations);
    splitter->addWidget(IfpBones);
    layout->addWidget(splitter, 1);
    Clear();

    connect(IfpAnimations->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        guard_([this] {
            const int row = SelectedAnimation();
            shownBones_ = row;
            bones_->Reset(row < 0 ? 0 : int(package_.Animations[size_t(row)].Bones.size()));
        });
    });
}

QString TIfpPage::KindText(TKeyKind kind) const
{
    switch (kind) {
    case TKeyKind::kRotation: return tr("поворот");
    case TKeyKind::kRotationTranslation: return tr("поворот, сдвиг");
    case TKeyKind::kRotationTranslationScale: return tr("поворот, сдвиг, масштаб");
    default: return QStringLiteral("—");
    }
}

bool TIfpPage::Takes(TPreviewEntry& entry) { return entry.Is(TFormatKind::Animation); }

void TIfpPage::Show(TPreviewEntry& entry)
{
    header_.Name->setText(entry.Name);
    header_.Size->setText(entry.SizeText);
    const TEntryBytes bytes = ReadEntryBytes(entry.Cat.ArchivePath, entry.Cat.ArchiveKind, entry.Entry);
    TAnimationPackage package;
    try {
        ReadAnimationPackage(bytes.Bytes, package);
    } catch (...) {
        // The animations before the damaged one are shown, then the error.
        Take(std::move(package));
        throw;
    }
    Take(std::move(package));
}

void TIfpPage::Take(TAnimationPackage package)
{
    shownBones_ = -1;
    bones_->Reset(0);
    package_ = std::move(package);
    IfpTotals->setText(tr("%1 «%2», %3 анимаций")
                           .arg(QString::fromStdString(package_.Layout), Latin(package_.Name))
                           .arg(package_.Animations.size()));
    animations_->Reset(int(package_.Animations.size()));
    SelectAnimation(package_.Animations.empty() ? -1 : 0);
}

int TIfpPage::SelectedAnimation() const
{
    return IfpAnimations->currentIndex().isValid() ? IfpAnimations->currentIndex().row() : -1;
}

void TIfpPage::SelectAnimation(int row)
{
    IfpAnimations->setCurrentIndex(row < 0 ? QModelIndex() : animations_->index(row, 0));
}

void TIfpPage::Clear()
{
    header_.Clear();
    shownBones_ = -1;
    bones_->Reset(0);
    package_ = {};
    animations_->Reset(0);
    IfpTotals->setText(tr("%1 анимаций").arg(0));
}
