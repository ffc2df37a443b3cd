// What the window's changes leave for its undo (see TUndoHistory).
#pragma once

#include <QString>
#include <set>
#include <string>
#include <utility>

#include "app/ArchiveSession.h"

// Russian takes "записи" after 1, 21, 31…, "записей" after the other numbers;
// the English translation of each has its own forms.
inline bool RussianSingular(size_t n) { return n % 10 == 1 && n % 100 != 11; }

// Keeps the change made while it lives as an undo step named `what`, once it
// is made: a change refused or failed leaves none. Made after the session's
// lock, so that it goes first.
class TUndoCapture {
public:
    TUndoCapture(TArchiveSession& session, QString what, std::set<std::string> names)
        : session_(session), what_(std::move(what)), names_(std::move(names))
    {
        session_.Locked().Image = &image_;
    }
    ~TUndoCapture()
    {
        session_.Locked().Image = nullptr;
        if (!image_.Empty()) session_.History().Push({what_, std::move(image_), std::move(names_)});
    }
    TUndoCapture(const TUndoCapture&) = delete;
    TUndoCapture& operator=(const TUndoCapture&) = delete;

private:
    TArchiveSession& session_;
    QString what_;
    std::set<std::string> names_;
    korvane::TChangeImage image_;
};
