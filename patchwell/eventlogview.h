#pragma once
// The engine's event records as a readable file, in two views (the whole log,
// or only the installed updates), opened in the desktop's text viewer.

#include <QString>

class CPatchwellApp;
class CPatchwellCtrl;
class CProductList;
class CLangText;

enum class EventLogView { Whole, RecentUpdates };

// Rewrites "<log directory>/Patchwell.log" with the view, streaming record by
// record; false on a file error (the file could not be created or written).
bool WriteEventLogView(CPatchwellCtrl &ctrl, const QString &installDirectory, int osKind,
                       EventLogView view, CProductList &products);

// The button's whole action: writes the view and opens it in the viewer; a file
// error shows "Failed to creat log file." and opens nothing. The recent-updates
// view switches the tray alert off afterwards in every case.
void ShowEventLogView(CPatchwellApp &app, EventLogView view, CProductList &products);

// The body of a product-up-to-date record (no time prefix, with its line end);
// also the text of the up-to-date message.
QString ProductUpToDateLine(const CLangText &texts, const QString &productName);
