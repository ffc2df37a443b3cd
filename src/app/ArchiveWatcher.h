// Notices changes that other programs make to the open archive's files while
// the window is idle: the file system's notices on the archive and its
// directory file, settled for a moment so that a burst of writes (one add is
// several) is answered once.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

class TArchiveWatcher : public QObject {
    Q_OBJECT
public:
    // How long the files must stay quiet before Settled is emitted.
    static constexpr int SettleMs = 300;

    explicit TArchiveWatcher(QObject* parent = nullptr);
    // Watches these files (the archive, and for ".img" its ".dir") in place of
    // any watched before.
    void Watch(const QStringList& paths);
    void Stop();
    // Asks again for Settled after a quiet moment: the answer to a notice
    // could not be given yet (the window was busy, the archive locked).
    void Later();

signals:
    // The watched files changed and have been quiet since.
    void Settled();

private:
    void FileChanged();
    void TimerDone();

    QFileSystemWatcher watcher_;
    QTimer settle_;
    QStringList paths_;
};
