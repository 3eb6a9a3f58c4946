#pragma once
// The records of every product the engine knows, as the sheet edits them:
// loaded from the engine, written back in list order, the loaded names put back
// on Cancel, and the start-up shortcut kept in line with them.

#include "productsettings.h"

#include <QList>
#include <functional>

class CProductList {
public:
    // Asks the engine to look for products again, then builds one record each.
    void LoadAll(CPatchwellCtrl &ctrl);
    int count() const { return int(records_.size()); }
    CProductSettings *at(int position) { return position >= 0 && position < count() ? &records_[position] : nullptr; }
    CProductSettings *current() { return at(current_); }
    int currentPosition() const { return current_; }
    void SetCurrent(int position) { current_ = position >= 0 && position < count() ? position : -1; }
    bool AnyRunFromStartUp() const;

    // The shortcut first, then the record's changed fields.
    void WriteBack(CProductSettings &record, CPatchwellCtrl &ctrl);
    void WriteBackAll(CPatchwellCtrl &ctrl, bool currentFirst);
    void RestoreAll(CPatchwellCtrl &ctrl);

    // Brings the start-up shortcut in line; set by the program (tests record it).
    std::function<void(bool wanted)> updateShortcut;

private:
    QList<CProductSettings> records_;
    int current_ = -1;
};
