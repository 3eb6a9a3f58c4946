#include "productlist.h"

#include "patchwellctrl.h"

void CProductList::LoadAll(CPatchwellCtrl &ctrl)
{
    ctrl.DetectProducts();
    const long count = ctrl.GetProductCount();
    records_.clear();
    current_ = -1;
    for (long i = 0; i < count; ++i) {
        CProductSettings record;
        record.Load(ctrl, int(i));
        records_.append(record);
    }
    if (current_ < 0 && !records_.isEmpty())
        current_ = 0;
}

bool CProductList::AnyRunFromStartUp() const
{
    for (const CProductSettings &r : records_)
        if (r.runFromStartUp)
            return true;
    return false;
}

void CProductList::WriteBack(CProductSettings &record, CPatchwellCtrl &ctrl)
{
    const bool wanted = AnyRunFromStartUp();
    if (updateShortcut)
        updateShortcut(wanted);
    record.WriteBack(ctrl, wanted);
}

void CProductList::WriteBackAll(CPatchwellCtrl &ctrl, bool currentFirst)
{
    if (currentFirst && current())
        WriteBack(*current(), ctrl);
    for (CProductSettings &r : records_)
        WriteBack(r, ctrl);
}

void CProductList::RestoreAll(CPatchwellCtrl &ctrl)
{
    for (CProductSettings &r : records_)
        r.RestoreLoadedNames(ctrl);
}
