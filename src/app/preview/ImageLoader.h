// The thumbnail worker: makes a 48×48 thumbnail (and mask thumbnail) of every
// texture of a dictionary on a thread of its own and hands each one to the
// user-interface thread, waiting until it has been taken in.
#pragma once

#include <QThread>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "archive/EntryBytes.h"
#include "formats/txd/TextureDecode.h"
#include "formats/txd/TextureDictionary.h"

class TImageLoader : public QThread {
    Q_OBJECT
public:
    // Runs on the user-interface thread with the worker waiting.
    using THandOver = std::function<void(int index, korvane::TTextureBitmap& bitmap, korvane::TTextureBitmap& mask)>;

    // `textures` must not change until the worker has ended; their pixels
    // are decoded from `bytes`, the dictionary's entry read once. Created
    // stopped; start() runs Execute.
    TImageLoader(korvane::TSharedEntryBytes bytes, const std::vector<korvane::TTextureInfo>& textures,
                 THandOver handOver, QObject* parent = nullptr);
    // Stops the worker if it still runs.
    ~TImageLoader() override;

    // Sets the terminate request and waits until the thread has ended,
    // carrying out any hand-over it queues meanwhile (waiting without doing
    // so would leave both threads waiting on each other).
    void StopAndWait();
    // Waits, the same way, until the worker has gone through the table.
    void WaitServing();

    static constexpr int ThumbnailSize = 48;

protected:
    void run() override;

private:
    void Execute();
    void Synchronize(const std::function<void()>& call);
    void ServePending();

    const korvane::TSharedEntryBytes bytes_;
    const std::vector<korvane::TTextureInfo>& textures_;
    THandOver handOver_;

    int32_t Index = 0;
    korvane::TTextureBitmap Bitmap;
    korvane::TTextureBitmap MaskBitmap;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> pending_;
    bool hasPending_ = false;
    bool ended_ = false;
};
