#include "app/EntryDragOut.h"

#include <QDir>
#include <QDrag>
#include <QFile>
#include <QMimeData>
#include <QSet>
#include <QUrl>
#include <cerrno>
#include <cstdlib>

#include "app/LocalPaths.h"
#include "base/Errors.h"
#include "base/NameCodec.h"
#include "ops/ArchiveOps.h"

using namespace korvane;

TEntryDragOut::TEntryDragOut(QObject* parent) : QObject(parent)
{
    Exec = [](QDrag* drag, Qt::DropActions actions) { return drag->exec(actions, Qt::CopyAction); };
}

TEntryDragOut::~TEntryDragOut()
{
    for (const QString& folder : folders_) QDir(folder).removeRecursively();
}

QStringList TopLevelItems(const QStringList& relativePaths)
{
    QStringList items;
    QSet<QString> seen;  // a drag may carry thousands of rows
    for (const QString& path : relativePaths) {
        // "./a//b" is the item "a"; a name that cleans to nothing names no item.
        const QString clean = QDir::cleanPath(path);
        const QString first = clean.section(QLatin1Char('/'), 0, 0, QString::SectionSkipEmpty);
        if (first.isEmpty() || first == QLatin1String(".") || first == QLatin1String("..")) continue;
        if (!seen.contains(first)) {
            seen.insert(first);
            items << first;
        }
    }
    return items;
}

namespace {

// A folder of our own that goes with everything in it unless kept.
class TScratchFolder {
public:
    TScratchFolder()
    {
        const std::string temp = LocalPath(QDir::tempPath());
        std::string pattern = temp + "/korvane-drag-XXXXXX";
        if (!::mkdtemp(pattern.data())) RaiseIoErrno(errno, temp);
        path_ = pattern;
    }
    ~TScratchFolder()
    {
        if (!kept_) QDir(Path()).removeRecursively();
    }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;
    const std::string& Local() const { return path_; }
    QString Path() const { return QFile::decodeName(path_.c_str()); }
    void Keep() { kept_ = true; }

private:
    std::string path_;
    bool kept_ = false;
};

}  // namespace

QMimeData* TEntryDragOut::Prepare(const Catalogue& cat, const std::vector<uint32_t>& indices)
{
    TScratchFolder folder;
    QStringList relative;
    for (uint32_t index : indices) {
        if (index >= cat.Entries.size()) continue;  // refused by the extraction below
        bool safe = false;
        const std::string path = RelativeEntryPath(EntryName(cat.Entries[index]), safe);
        if (!safe) continue;
        relative << QFile::decodeName(path.c_str());
        // The folders the names run through are made here, unlike in a folder
        // the user chose: this one is new and holds nothing else.
        const size_t slash = path.rfind('/');
        if (slash != std::string::npos && slash > 0) {
            const std::string sub = folder.Local() + "/" + path.substr(0, slash);
            if (!QDir().mkpath(QFile::decodeName(sub.c_str())))
                throw EInOutError(ioAccessDenied, "File access denied", sub);
        }
    }
    // Unsafe names are refused here, after the others are written; the folder
    // then goes with everything in it.
    ops::ExtractInto(cat, indices, folder.Local());

    QList<QUrl> urls;
    for (const QString& item : TopLevelItems(relative))
        urls << QUrl::fromLocalFile(folder.Path() + QLatin1Char('/') + item);
    auto* mime = new QMimeData;
    mime->setUrls(urls);
    folders_ << folder.Path();
    folder.Keep();
    return mime;
}
