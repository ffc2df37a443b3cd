#include "app/EntryDragOut.h"

#include <QDir>
#include <QDrag>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include "archive/EntryOps.h"
#include "archive/Errors.h"
#include "archive/NameCodec.h"

using namespace korvane;

TEntryDragOut::TEntryDragOut(QObject* parent) : QObject(parent)
{
    Exec = [](QDrag* drag, Qt::DropActions actions) { return drag->exec(actions, Qt::CopyAction); };
}

TEntryDragOut::~TEntryDragOut() = default;

QStringList TEntryDragOut::Folders() const
{
    QStringList out;
    for (const auto& folder : folders_) out << folder->path();
    return out;
}

QStringList TopLevelItems(const QStringList& relativePaths)
{
    QStringList items;
    for (const QString& path : relativePaths) {
        // "./a//b" is the item "a"; a name that cleans to nothing names no item.
        const QString clean = QDir::cleanPath(path);
        const QString first = clean.section(QLatin1Char('/'), 0, 0, QString::SectionSkipEmpty);
        if (first.isEmpty() || first == QLatin1String(".") || first == QLatin1String("..")) continue;
        if (!items.contains(first)) items << first;
    }
    return items;
}

QMimeData* TEntryDragOut::Prepare(const Catalogue& cat, const std::vector<uint32_t>& indices)
{
    auto folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/korvane-drag-XXXXXX"));
    if (!folder->isValid()) {
        const std::string where = QFile::encodeName(QDir::tempPath()).toStdString();
        throw EInOutError(ioAccessDenied, "File access denied", where);
    }
    const std::string root = QFile::encodeName(folder->path()).toStdString();

    QStringList relative;
    for (uint32_t index : indices) {
        if (index >= cat.Entries.size()) continue;  // refused by the extraction below
        bool safe = false;
        const QString path = QString::fromStdString(RelativeEntryPath(EntryName(cat.Entries[index]), safe));
        if (!safe) continue;
        relative << path;
        // The folders the names run through exist here, unlike in a folder the
        // user chose: this one is new and empty.
        const int slash = path.lastIndexOf(QLatin1Char('/'));
        if (slash > 0 && !QDir(folder->path()).mkpath(path.left(slash)))
            throw EInOutError(ioAccessDenied, "File access denied", root + "/" + path.left(slash).toStdString());
    }
    // Unsafe names are refused here, after the others are written; the folder
    // then goes with everything in it.
    ExtractEntriesInto(cat, indices, root);

    QList<QUrl> urls;
    for (const QString& item : TopLevelItems(relative)) urls << QUrl::fromLocalFile(folder->path() + QLatin1Char('/') + item);
    auto* mime = new QMimeData;
    mime->setUrls(urls);
    folders_.push_back(std::move(folder));
    return mime;
}
