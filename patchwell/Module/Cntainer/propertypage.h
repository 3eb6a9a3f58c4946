#pragma once
// One page of a property sheet: made when its tab is first shown, told when it
// becomes the shown page and asked before it stops being shown.

#include <QWidget>

class CPropertyPage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    // Loads the page from the data it shows; false keeps the previous page.
    virtual bool OnSetActive() { return true; }
    // Takes the page's values; false keeps the page shown (its own message said why).
    virtual bool OnKillActive() { return true; }
};
