#include "app/ArchiveWatcher.h"

#include <QFileInfo>

TArchiveWatcher::TArchiveWatcher(QObject* parent) : QObject(parent)
{
    settle_.setSingleShot(true);
    settle_.setInterval(SettleMs);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { FileChanged(); });
    connect(&settle_, &QTimer::timeout, this, [this] { TimerDone(); });
}

void TArchiveWatcher::Watch(const QStringList& paths)
{
    Stop();
    paths_ = paths;
    paths_.removeDuplicates();
    for (const QString& p : paths_)
        if (QFileInfo::exists(p)) watcher_.addPath(p);
}

void TArchiveWatcher::Stop()
{
    settle_.stop();
    const QStringList watched = watcher_.files();
    if (!watched.isEmpty()) watcher_.removePaths(watched);
    paths_.clear();
}

void TArchiveWatcher::Later()
{
    if (!paths_.isEmpty()) settle_.start();
}

void TArchiveWatcher::FileChanged()
{
    // Every notice starts the quiet moment anew.
    settle_.start();
}

void TArchiveWatcher::TimerDone()
{
    // A file renamed over the watched one (a repack) ends its watch: the
    // new file is watched from here on.
    const QStringList watched = watcher_.files();
    for (const QString& p : paths_)
        if (!watched.contains(p) && QFileInfo::exists(p)) watcher_.addPath(p);
    emit Settled();
}
