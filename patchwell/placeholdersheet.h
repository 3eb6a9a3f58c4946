#pragma once
// A plain stand-in for the configuration sheet: the products the engine knows,
// the requested one selected, and Close. The full sheet with its pages replaces it.

#include "configsheet.h"
#include "productlist.h"

#include <QDialog>

class CPatchwellApp;
class CMainFrame;
class QListWidget;

class PlaceholderSheet : public ConfigurationSheet {
public:
    PlaceholderSheet(CPatchwellApp *app, CMainFrame *frame);
    ~PlaceholderSheet() override;
    QDialog *dialog() override { return dialog_; }
    void RunModal() override;
    void EndSheet() override;
    void SelectRequestedProductAndTab(int position, int tab) override;
    CProductList products;
private:
    void fill();
    CPatchwellApp *app_;
    QDialog *dialog_;
    QListWidget *list_;
};
