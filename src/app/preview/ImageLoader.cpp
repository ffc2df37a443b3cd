#include "app/preview/ImageLoader.h"

using namespace korvane;

TImageLoader::TImageLoader(TSharedEntryBytes bytes, const std::vector<TTextureInfo>& textures, THandOver handOver,
                           QObject* parent)
    : QThread(parent), bytes_(std::move(bytes)), textures_(textures), handOver_(std::move(handOver))
{
}

TImageLoader::~TImageLoader()
{
    if (isRunning()) StopAndWait();
    wait();
}

void TImageLoader::run()
{
    try {
        Execute();
    } catch (...) {
        // A failure ends the worker silently; the rest get no thumbnails.
    }
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    changed_.notify_all();
}

void TImageLoader::Execute()
{
    for (Index = 0; size_t(Index) < textures_.size() && !isInterruptionRequested(); ++Index) {
        const TTextureInfo& t = textures_[size_t(Index)];
        // A texture that cannot be decoded keeps its placeholder.
        if (TextureEncoding(t) == TTextureEncoding::Unsupported) continue;
        Bitmap = BuildTextureBitmap(bytes_->Bytes, t, ThumbnailSize, ThumbnailSize, dmColor, bytes_->Path);
        MaskBitmap = t.HasAlpha ? BuildTextureBitmap(bytes_->Bytes, t, ThumbnailSize, ThumbnailSize, dmMask, bytes_->Path)
                                : TTextureBitmap{};
        Synchronize([this] { handOver_(Index, Bitmap, MaskBitmap); });
        Bitmap = {};
        MaskBitmap = {};
    }
}

void TImageLoader::Synchronize(const std::function<void()>& call)
{
    {
        std::lock_guard lock(mutex_);
        pending_ = call;
        hasPending_ = true;
    }
    // Either the event loop runs it, or a wait for this thread's end does.
    QMetaObject::invokeMethod(this, [this] { ServePending(); }, Qt::QueuedConnection);
    changed_.notify_all();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !hasPending_; });
}

void TImageLoader::ServePending()
{
    std::function<void()> call;
    {
        std::lock_guard lock(mutex_);
        if (!hasPending_) return;
        call = pending_;
    }
    try {
        call();
    } catch (...) {
        // The worker must be released whatever happens to its thumbnail.
    }
    {
        std::lock_guard lock(mutex_);
        pending_ = nullptr;
        hasPending_ = false;
    }
    changed_.notify_all();
}

void TImageLoader::StopAndWait()
{
    requestInterruption();
    WaitServing();
}

void TImageLoader::WaitServing()
{
    if (!isRunning() && !isFinished()) return;  // never started
    for (;;) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return hasPending_ || ended_; });
        if (!hasPending_) break;
        lock.unlock();
        ServePending();
    }
    wait();
}
